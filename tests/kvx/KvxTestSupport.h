// Shared by the encrypted-file tests: a prompt that records messages, certificates put into
// the stores, hex, and the openssl command-line tool as the independent reference.
#pragma once

#include "CertList.h"
#include "CertStore.h"
#include "DigitalCertificate.h"
#include "HexText.h"
#include "People.h"
#include "RecordingPrompt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace kvxtest {

using yxtest::addToStore;
using yxtest::Bytes;
using yxtest::RecordingPrompt;
using yxtest::thumbOf;

inline std::unique_ptr<CDigitalCertificate> certObject(X509* x) {
    return std::make_unique<CDigitalCertificate>(yx::CertContext::fromX509(x));
}

// A data root whose personal store holds the user's own certificate, which `list` names as the
// one recipient of the runs.
class OwnCertTest : public ::testing::Test {
protected:
    void SetUp() override {
        me = ca.issue({.cn = "Me", .keyIndex = 1});
        ASSERT_TRUE(addToStore("my", me));
        cert = certObject(me.cert.get());
        list.Add(cert.get(), false);
    }
    yxtest::ScopedDataRoot root;
    yxtest::TempDir files;
    yxtest::TestCa ca;
    RecordingPrompt prompt;
    yxtest::Issued me;
    std::unique_ptr<CDigitalCertificate> cert;
    CCertList list;
};

inline std::string hex(const unsigned char* p, size_t n) {
    return yx::hexText(p, n);
}
inline std::string hex(const Bytes& b) {
    return yx::hexText(b.data(), b.size());
}

inline Bytes randomBytes(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    Bytes b(n);
    for (auto& c : b)
        c = static_cast<unsigned char>(gen());
    return b;
}

// The private (or public) half of `key` as a PEM file for the openssl tool.
inline std::string pemKeyFile(const std::string& dir, const std::string& name, EVP_PKEY* key,
                              bool publicOnly = false) {
    const std::string path = dir + "/" + name;
    FILE* f = std::fopen(path.c_str(), "w");
    publicOnly ? PEM_write_PUBKEY(f, key)
               : PEM_write_PrivateKey(f, key, nullptr, nullptr, 0, nullptr, nullptr);
    std::fclose(f);
    return path;
}

// openssl pkeyutl -decrypt (PKCS#1 v1.5) of a SIMPLEBLOB's ciphertext after undoing its byte
// order; the key bytes, or empty when openssl refuses.
inline Bytes opensslUnwrap(const Bytes& blob, const std::string& keyPem, const std::string& dir) {
    Bytes ct(blob.begin() + 12, blob.end());
    std::reverse(ct.begin(), ct.end());
    const std::string in = yxtest::writeFile(dir, "wrapped.bin", ct);
    const std::string out = dir + "/unwrapped.bin";
    std::remove(out.c_str());
    if (yxtest::runCommand({"openssl", "pkeyutl", "-decrypt", "-inkey", keyPem, "-pkeyopt",
                            "rsa_padding_mode:pkcs1", "-in", in, "-out", out}) != 0)
        return {};
    return yxtest::readFile(out);
}

// openssl enc -d (or -e) -des-ede3-cbc with a zero IV over a file; the result, or nullopt on failure.
inline std::optional<Bytes> opensslDecrypt(const std::string& inFile, const std::string& keyHex,
                                           const std::string& dir, const char* direction = "-d") {
    const std::string out = dir + "/openssl-out.bin";
    std::remove(out.c_str());
    if (yxtest::runCommand({"openssl", "enc", direction, "-des-ede3-cbc", "-K", keyHex, "-iv",
                            "0000000000000000", "-in", inFile, "-out", out}) != 0)
        return std::nullopt;
    return yxtest::readFile(out);
}
inline Bytes opensslEncrypt(const std::string& plainFile, const std::string& keyHex, const std::string& dir) {
    const auto out = opensslDecrypt(plainFile, keyHex, dir, "-e");
    EXPECT_TRUE(out);
    return out.value_or(Bytes{});
}

// MD5 of a file by `openssl dgst -md5 -binary`.
inline Bytes opensslMd5(const std::string& file) {
    std::string out;
    EXPECT_EQ(yxtest::runCommand({"openssl", "dgst", "-md5", "-binary", file}, &out), 0);
    return Bytes(out.begin(), out.end());
}

// Odd parity computed bit by bit, independently of the code under test.
inline Bytes withOddParity(Bytes key) {
    for (auto& b : key) {
        int ones = 0;
        for (int bit = 1; bit < 8; ++bit)
            ones += (b >> bit) & 1;
        b = static_cast<unsigned char>((b & 0xFE) | (ones % 2 == 0 ? 1 : 0));
    }
    return key;
}

// CryptDeriveKey's MD5 to 3DES construction done with openssl dgst on buffers written here:
// the raw 24 bytes, before parity.
inline Bytes expectedPasswordKey(const std::string& password, const std::string& dir) {
    const Bytes hash = opensslMd5(yxtest::writeFile(dir, "password.bin", password));
    EXPECT_EQ(hash.size(), 16u);
    Bytes inner(64, 0x36), outer(64, 0x5C);
    for (size_t i = 0; i < hash.size(); ++i) {
        inner[i] ^= hash[i];
        outer[i] ^= hash[i];
    }
    Bytes both = opensslMd5(yxtest::writeFile(dir, "inner.bin", inner));
    const Bytes second = opensslMd5(yxtest::writeFile(dir, "outer.bin", outer));
    both.insert(both.end(), second.begin(), second.end());
    both.resize(24);
    return both;
}

} // namespace kvxtest
