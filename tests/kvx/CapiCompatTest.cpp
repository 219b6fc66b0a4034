// The CryptoAPI behaviour on OpenSSL, checked against the openssl command-line tool: the MD5 to
// 3DES key derivation, SIMPLEBLOB wrapping in both directions and the 3DES stream over pieces.
#include "CapiCompat.h"
#include "GbkText.h"
#include "KvxTestSupport.h"
#include "TripleDesStream.h"

#include <gtest/gtest.h>

using namespace yx::kvx;
using namespace kvxtest;
using yxtest::TempDir;

namespace {

Bytes toBytes(const TripleDesKey& k) {
    return Bytes(k.begin(), k.end());
}

TEST(CapiDeriveKey, MatchesTheBufferConstructionComputedWithOpenssl) {
    TempDir dir;
    for (const std::string& password :
         std::vector<std::string>{"a", "hello", "秘密口令123", std::string(100, 'x')}) {
        // Windows builds hash the password's ANSI (GBK) bytes.
        const Bytes raw = expectedPasswordKey(yx::utf8ToGbk(password).value(), dir.path());
        TripleDesKey key{};
        ASSERT_TRUE(capi::derivePasswordKey(password, key));
        EXPECT_EQ(hex(toBytes(key)), hex(withOddParity(raw))) << password;
    }
}

class CapiSimpleBlob : public ::testing::Test {
protected:
    // A blob made outside this code: `key` wrapped by pkeyutl -encrypt (PKCS#1), bytes reversed.
    std::vector<unsigned char> opensslBlob(const Bytes& key, EVP_PKEY* rsa) {
        const std::string in = yxtest::writeFile(dir.path(), "key.bin", key);
        EXPECT_EQ(yxtest::runCommand({"openssl", "pkeyutl", "-encrypt", "-pubin", "-inkey",
                                      pemKeyFile(dir.path(), "pub.pem", rsa, true), "-pkeyopt",
                                      "rsa_padding_mode:pkcs1", "-in", in, "-out", dir.file("ct.bin")}),
                  0);
        Bytes ct = yxtest::readFile(dir.file("ct.bin"));
        std::vector<unsigned char> blob(kHeader, kHeader + 12);
        blob.insert(blob.end(), ct.rbegin(), ct.rend());
        return blob;
    }
    static constexpr unsigned char kHeader[12] = {0x01, 0x02, 0x00, 0x00, 0x03, 0x66,
                                                  0x00, 0x00, 0x00, 0xa4, 0x00, 0x00};
    TempDir dir;
};

TEST_F(CapiSimpleBlob, LayoutAndUnwrapWithOpensslForSeveralKeySizes) {
    for (int bits : {1024, 2048, 3072}) {
        auto rsa = yxtest::pooledKey(bits == 2048 ? 5 : 6, bits);
        TripleDesKey key{};
        ASSERT_TRUE(capi::generateSessionKey(key));
        std::vector<unsigned char> blob;
        ASSERT_TRUE(capi::exportSimpleBlob(key, rsa.get(), blob));
        ASSERT_EQ(blob.size(), 12u + static_cast<size_t>(bits / 8));
        size_t size = 0;
        ASSERT_TRUE(capi::simpleBlobSize(rsa.get(), size));
        EXPECT_EQ(size, blob.size());
        EXPECT_EQ(hex(blob.data(), 12), hex(kHeader, 12));
        const Bytes unwrapped = opensslUnwrap(blob, pemKeyFile(dir.path(), "k.pem", rsa.get()), dir.path());
        EXPECT_EQ(hex(unwrapped), hex(toBytes(key))) << bits;
        TripleDesKey back{};
        ASSERT_TRUE(capi::importSimpleBlob(blob.data(), blob.size(), rsa.get(), back));
        EXPECT_EQ(back, key);
    }
}

TEST_F(CapiSimpleBlob, ImportsABlobWrappedByOpensslAndRefusesDamagedOrForeignOnes) {
    auto rsa = yxtest::pooledKey(5, 2048);
    auto other = yxtest::pooledKey(6, 2048);
    const Bytes key = randomBytes(24, 7);
    const auto blob = opensslBlob(key, rsa.get());
    TripleDesKey got{};
    ASSERT_TRUE(capi::importSimpleBlob(blob.data(), blob.size(), rsa.get(), got));
    EXPECT_EQ(hex(toBytes(got)), hex(key));

    auto refused = [&](std::vector<unsigned char> b, EVP_PKEY* k = nullptr) {
        TripleDesKey out{};
        return !capi::importSimpleBlob(b.data(), b.size(), k ? k : rsa.get(), out);
    };
    EXPECT_TRUE(refused(blob, other.get())) << "another recipient's key";
    for (size_t at : {size_t(0), size_t(1), size_t(4), size_t(5), size_t(9)}) {
        auto b = blob;
        b[at] ^= 0x40;
        EXPECT_TRUE(refused(b)) << "header byte " << at;
    }
    for (size_t at : {blob.size() - 1, size_t(100)}) { // the most significant ciphertext byte, a middle one
        auto b = blob;
        b[at] ^= 0x55;
        EXPECT_TRUE(refused(b)) << "ciphertext byte " << at;
    }
    EXPECT_TRUE(refused(std::vector<unsigned char>(blob.begin(), blob.end() - 1)));
    EXPECT_TRUE(refused({}));
    // Not reversed: the big-endian ciphertext is no valid blob.
    auto unreversed = blob;
    std::reverse(unreversed.begin() + 12, unreversed.end());
    EXPECT_TRUE(refused(unreversed));
    EXPECT_TRUE(refused(opensslBlob(randomBytes(16, 3), rsa.get()))) << "a wrapped value not 24 bytes long";
}

using TripleDes = CapiSimpleBlob; // a folder for the openssl tool's files

TEST_F(TripleDes, PiecesFormOneStreamEqualToOpensslEnc) {
    TripleDesKey key{};
    ASSERT_TRUE(capi::generateSessionKey(key));
    for (size_t size : {size_t(1), size_t(7), size_t(8), size_t(1007), size_t(1008), size_t(1009),
                        size_t(2016), size_t(5000)}) {
        const Bytes plain = randomBytes(size, static_cast<unsigned>(size));
        const std::string plainFile = yxtest::writeFile(dir.path(), "plain.bin", plain);
        for (size_t piece : {size_t(8), size_t(1008), size_t(13)}) {
            TripleDesStream enc;
            ASSERT_TRUE(enc.begin(key, true));
            Bytes cipher;
            for (size_t at = 0; at <= plain.size(); at += piece) {
                const size_t n = std::min(piece, plain.size() - at);
                const bool final = at + n == plain.size();
                Bytes out(n + 8);
                size_t outLen = 0;
                ASSERT_TRUE(enc.update(plain.data() + at, n, final, out.data(), outLen));
                cipher.insert(cipher.end(), out.begin(), out.begin() + static_cast<long>(outLen));
                if (final)
                    break;
            }
            EXPECT_EQ(cipher.size(), 8 * (size / 8 + 1));
            EXPECT_EQ(hex(cipher), hex(opensslEncrypt(plainFile, hex(toBytes(key)), dir.path())))
                << size << "/" << piece;
            const std::string cipherFile = yxtest::writeFile(dir.path(), "c.bin", cipher);
            auto back = opensslDecrypt(cipherFile, hex(toBytes(key)), dir.path());
            ASSERT_TRUE(back);
            EXPECT_EQ(*back, plain);
        }
    }
}

TEST_F(TripleDes, DecryptionChecksPaddingAndRestartsAfterFinal) {
    TripleDesKey key{};
    ASSERT_TRUE(capi::generateSessionKey(key));
    const Bytes plain = randomBytes(20, 9);
    const Bytes cipher =
        opensslEncrypt(yxtest::writeFile(dir.path(), "p.bin", plain), hex(toBytes(key)), dir.path());
    TripleDesStream dec;
    ASSERT_TRUE(dec.begin(key, false));
    for (int round = 0; round < 2; ++round) { // the second round only works if the chain restarted
        Bytes out(cipher.size() + 8);
        size_t n1 = 0, n2 = 0;
        ASSERT_TRUE(dec.update(cipher.data(), 16, false, out.data(), n1));
        ASSERT_TRUE(dec.update(cipher.data() + 16, cipher.size() - 16, true, out.data() + n1, n2));
        out.resize(n1 + n2);
        EXPECT_EQ(out, plain);
    }
    Bytes out(cipher.size() + 8);
    size_t n = 0;
    EXPECT_FALSE(dec.update(cipher.data(), cipher.size() - 3, true, out.data(), n)) << "not whole blocks";
    // Another key must not give the source back (a stream that ignored its key would).
    TripleDesKey other{};
    ASSERT_TRUE(capi::generateSessionKey(other));
    TripleDesStream wrong;
    ASSERT_TRUE(wrong.begin(other, false));
    EXPECT_FALSE(wrong.update(cipher.data(), cipher.size(), true, out.data(), n) && n == plain.size() &&
                 std::equal(plain.begin(), plain.end(), out.begin()));
}

} // namespace
