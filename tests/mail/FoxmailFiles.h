// Foxmail's files built byte by byte for the tests (account list, address books) and a Wine-like
// prefix that names Foxmail; no libgsf, so the desktop tests use it too.
#pragma once

#include "TestPki.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace mailtest {

inline std::string le32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
    return s;
}

// The account list stream: 64 header bytes, the count, then per account the unread number,
// name, folder, a third text and 20 unread bytes.
struct AccountEntry {
    std::string name, folder, third;
};
inline std::string accountListStream(const std::vector<AccountEntry>& accounts, int count = -1) {
    std::string s(64, 'H');
    s += le32(static_cast<uint32_t>(count < 0 ? accounts.size() : count));
    for (const auto& a : accounts)
        s += le32(7) + le32(static_cast<uint32_t>(a.name.size())) + a.name +
             le32(static_cast<uint32_t>(a.folder.size())) + a.folder +
             le32(static_cast<uint32_t>(a.third.size())) + a.third + std::string(20, 'T');
    return s;
}

// One 176-byte index record.
struct IndexRecord {
    std::string name, address;
    uint32_t offset = 0, length = 0;
    unsigned char flag = 0;
    bool skip4 = false, skip17 = false;
};
inline std::string indexRecord(const IndexRecord& r) {
    std::string rec(176, '\0');
    rec[4] = r.skip4 ? 1 : 0;
    rec.replace(5, 4, le32(r.offset));
    rec.replace(9, 4, le32(r.length));
    rec[17] = r.skip17 ? 1 : 0;
    rec[18] = static_cast<char>(r.name.size());
    rec.replace(19, r.name.size(), r.name);
    rec[51] = static_cast<char>(r.address.size());
    rec.replace(52, r.address.size(), r.address);
    rec[132] = static_cast<char>(r.flag);
    return rec;
}

inline const std::string kSeparator = std::string(7, '\x10') + std::string(6, '\x13') + "S\r\n";

// An address book: blocks are laid out one after another behind separators; each record points
// at its block unless it gives its own offset.
struct BookContact {
    IndexRecord record;
    std::string block;
};
inline void writeBook(const std::string& dir, const std::string& stem, std::vector<BookContact> contacts,
                      const std::string& trailing = "") {
    std::filesystem::create_directories(dir);
    std::string box, ind(64, 'I');
    for (auto& c : contacts) {
        box += kSeparator;
        if (c.record.offset == 0 && c.record.length == 0) {
            c.record.offset = static_cast<uint32_t>(box.size());
            c.record.length = static_cast<uint32_t>(c.block.size());
        }
        box += c.block;
        ind += indexRecord(c.record);
    }
    yxtest::writeFile(dir, stem + ".BOX", box);
    yxtest::writeFile(dir, stem + ".IND", ind + trailing);
}

using yxtest::ScopedEnv;

// A Wine prefix whose user.reg names Foxmail at C:\Foxmail\Foxmail.exe; returns the local
// Foxmail folder (drive_c/Foxmail, reached through dosdevices/c:).
inline std::string makeWinePrefix(const std::string& prefix,
                                  const std::string& foxmailPath = "C:\\\\Foxmail\\\\Foxmail.exe") {
    std::filesystem::create_directories(prefix + "/drive_c/Foxmail");
    std::filesystem::create_directories(prefix + "/dosdevices");
    std::filesystem::create_symlink("../drive_c", prefix + "/dosdevices/c:");
    yxtest::writeFile(prefix, "user.reg",
                      "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                      "[Software\\\\Aerofox\\\\Foxmail] 1700000000\n#time=1d9\n\n"
                      "[Software\\\\Aerofox\\\\Foxmail\\\\V3.1] 1700000000\n#time=1d9\n\"FoxmailPath\"=\"" +
                          foxmailPath + "\"\n\"Other\"=dword:00000001\n");
    return prefix + "/drive_c/Foxmail";
}

} // namespace mailtest
