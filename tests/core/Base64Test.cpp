#include "Base64.h"

#include <cstring>
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <string>
#include <vector>

namespace {

// Decoded text, or "<bad>" when the decoder refuses it.
std::string decode(const char* text, int capacity = 256) {
    unsigned char bytes[256];
    int len = capacity;
    if (base64decoding(text, bytes, &len) != 0)
        return "<bad>";
    return std::string(reinterpret_cast<char*>(bytes), static_cast<size_t>(len));
}

} // namespace

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
