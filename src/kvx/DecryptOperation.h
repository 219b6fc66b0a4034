// The decrypt operation up to the run, without dialogs: read the head, refuse what cannot be
// decrypted, choose the recipient record and make the engine's job. The decrypt dialog asks the
// user for the choices this takes as arguments; the command-line tool takes them from options.
#pragma once

#include "DecryptHeadReader.h"
#include "EncryptionEngine.h"

#include <string>

namespace yx::kvx {

struct DecryptRequest {
    std::string source;
    std::string target;         // empty: the source without its extension
    std::string password;       // empty: none entered
    std::string certThumbprint; // empty: the first record whose certificate the user holds
    bool askToOpen = true;
    RecipientKeySource* keys = nullptr; // null = the personal store
    // One of several files: a thumbprint the file has no usable record for falls back to the
    // first usable one, and the password goes to a protected file only.
    bool lenient = false;
};

// The file a decryption writes: `target` (empty: the source without its extension) with the
// header's extension appended, unless that extension would lead into another folder.
std::string decryptedPath(const DecryptHead& head, const std::string& source, const std::string& target);

// 0 with `job` ready for the engine (its target carries the header's extension); otherwise a
// result code after the message has been shown: kHeadUnreadable (the head reader's message),
// kVersion1Unsupported, kNoDecryptCertificate, kPasswordMissing.
int prepareDecrypt(const DecryptRequest& request, DecryptJob& job);

} // namespace yx::kvx
