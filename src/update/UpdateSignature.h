// The maker signs each manifest with its Ed25519 key; the program holds the public key and
// accepts only manifests whose detached signature verifies.
#pragma once

#include <string_view>
#include <vector>

namespace yx::update {

using PublicKey = std::vector<unsigned char>; // the 32 raw bytes of an Ed25519 public key

// True only for a 64-byte Ed25519 signature of exactly `message` made with the key's partner.
bool verifySignature(const PublicKey& key, std::string_view message,
                     const std::vector<unsigned char>& signature);

// The public key built into the program (MakerUpdateKey.h).
PublicKey makerPublicKey();

} // namespace yx::update
