#include "Base64.h"

#include <cstring>
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <string>
#include <vector>

namespace {

std::string encode(const std::string& s) {
    char text[256];
    int len = sizeof text;
    EXPECT_EQ(base64encoding(reinterpret_cast<const unsigned char*>(s.data()), static_cast<int>(s.size()),
                             text, &len),
              0);
    EXPECT_EQ(static_cast<size_t>(len), std::strlen(text));
    return std::string(text, static_cast<size_t>(len));
}

// Decoded text, or "<bad>" when the decoder refuses it.
std::string decode(const char* text, int capacity = 256) {
    unsigned char bytes[256];
    int len = capacity;
    if (base64decoding(text, bytes, &len) != 0)
        return "<bad>";
    return std::string(reinterpret_cast<char*>(bytes), static_cast<size_t>(len));
}

} // namespace

TEST(Base64, EncodesTheStandardVectorsWithoutLineBreaks) {
    const std::pair<const char*, const char*> vectors[] = {{"", ""},
                                                           {"f", "Zg=="},
                                                           {"fo", "Zm8="},
                                                           {"foo", "Zm9v"},
                                                           {"foob", "Zm9vYg=="},
                                                           {"fooba", "Zm9vYmE="},
                                                           {"foobar", "Zm9vYmFy"}};
    for (auto [plain, text] : vectors) {
        EXPECT_EQ(encode(plain), text) << plain;
        EXPECT_EQ(decode(text), plain) << text;
    }
}

TEST(Base64, MatchesOpenSslOnRandomDataAndRoundTrips) {
    for (int n : {1, 2, 3, 47, 48, 49, 100, 1000, 3069}) {
        std::vector<unsigned char> data(static_cast<size_t>(n));
        RAND_bytes(data.data(), n);
        std::vector<char> ours(4200), ref(4200);
        int len = static_cast<int>(ours.size());
        ASSERT_EQ(base64encoding(data.data(), n, ours.data(), &len), 0);
        const int refLen = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(ref.data()), data.data(), n);
        ASSERT_EQ(len, refLen);
        EXPECT_EQ(std::string(ours.data(), static_cast<size_t>(len)),
                  std::string(ref.data(), static_cast<size_t>(refLen)));
        EXPECT_EQ(std::string(ours.data()).find('\n'), std::string::npos);

        std::vector<unsigned char> back(4096);
        int backLen = static_cast<int>(back.size());
        ASSERT_EQ(base64decoding(ours.data(), back.data(), &backLen), 0);
        back.resize(static_cast<size_t>(backLen));
        EXPECT_EQ(back, data);
    }
}

TEST(Base64, EncodingNeedsRoomForTheTerminatingNul) {
    const unsigned char foo[] = {'f', 'o', 'o'};
    char text[8];
    std::memset(text, 'x', sizeof text);
    int len = 4; // text length, no room for the NUL
    EXPECT_EQ(base64encoding(foo, 3, text, &len), -1);
    EXPECT_EQ(len, 4);
    EXPECT_EQ(text[0], 'x');
    len = 5;
    EXPECT_EQ(base64encoding(foo, 3, text, &len), 0);
    EXPECT_EQ(len, 4);
    EXPECT_STREQ(text, "Zm9v");
}

TEST(Base64, DecodingIgnoresWhitespace) {
    EXPECT_EQ(decode("Zm9v\nYmFy"), "foobar");
    EXPECT_EQ(decode(" Zm 9v\tYg==\r\n"), "foob");
    EXPECT_EQ(decode("Zm9vYg=\n="), "foob");
    EXPECT_EQ(decode("   "), "");
}

TEST(Base64, DecodingRejectsBadText) {
    for (const char* bad :
         {"Zm9", "Zm9v!", "Z===", "Zg==Zg==", "Zg=a", "Zg=", "=Zg=", "Zm9vY", "Zm9v\x80", "Zm-v"})
        EXPECT_EQ(decode(bad), "<bad>") << bad;
}

TEST(Base64, DecodingRefusesTooLittleRoomAndNullArguments) {
    EXPECT_EQ(decode("Zm9vYmFy", 5), "<bad>");
    EXPECT_EQ(decode("Zm9vYmFy", 6), "foobar");
    EXPECT_EQ(decode("Zm9vYg==", 3), "<bad>");
    unsigned char b[4];
    int len = 4;
    EXPECT_EQ(base64decoding(nullptr, b, &len), -1);
    EXPECT_EQ(base64encoding(nullptr, 3, reinterpret_cast<char*>(b), &len), -1);
}

TEST(Thumb, BinToThumbWritesLowerCaseHexPairsWithSingleBlanks) {
    const char bytes[] = {0x0a, 0x1b, static_cast<char>(0xff), 0x00};
    char text[12];
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(BinToThumb(bytes, 4, text), 0);
    EXPECT_STREQ(text, "0a 1b ff 00");
    EXPECT_EQ(BinToThumb(bytes, 0, text), 0);
    EXPECT_STREQ(text, "");
    const unsigned char sha[] = {0xde, 0xad, 0xbe, 0xef};
    EXPECT_EQ(yx::thumbText(sha, 4), "de ad be ef");
    EXPECT_EQ(yx::thumbText(sha, 0), "");
}

TEST(Thumb, StoredThumbprintsCompareWithoutSpacesAndCase) {
    EXPECT_EQ(yx::stripSpaces(" de ad\tbe ef "), "deadbeef");
    EXPECT_TRUE(yx::sameThumb("de ad be ef", "DEAD BEEF"));
    EXPECT_TRUE(yx::sameThumb("DEADBEEF", "de ad be ef"));
    EXPECT_FALSE(yx::sameThumb("de ad be ef", "de ad be ee"));
    EXPECT_FALSE(yx::sameThumb("de ad be", "de ad be ef"));
    EXPECT_TRUE(yx::sameThumb("", "  "));
}
