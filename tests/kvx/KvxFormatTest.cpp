// The version 2 layout: GBK text in the records, cutting at a character boundary, blob bounds.
#include "KvxFormat.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace yx::kvx;

namespace {

std::string field(const unsigned char* p, size_t n) {
    return std::string(reinterpret_cast<const char*>(p), n);
}

// Where each field sits is checked on whole files against openssl (EncryptionEngineTest); here
// that the texts are GBK and read back.
TEST(KvxLayout, RecordTextsAreGbk) {
    KavexEncStruct r;
    r.displayName = "张三";
    r.subjectName = "CN=张三, O=岚川测试";
    r.thumbprint = "0a 1b 2c";
    r.keyBlob = {1, 2, 3, 0xff};
    RecordBytes b;
    ASSERT_TRUE(r.toBytes(b));
    EXPECT_EQ(field(&b[20], 5), std::string("\xd5\xc5\xc8\xfd", 4) + '\0'); // GBK, not UTF-8
    EXPECT_EQ(field(&b[276], 4), "CN=\xd5");
    EXPECT_TRUE(hasRecordTag(b.data()));

    const KavexEncStruct back = KavexEncStruct::fromBytes(b);
    EXPECT_EQ(back.displayName, "张三");
    EXPECT_EQ(back.subjectName, "CN=张三, O=岚川测试");
    EXPECT_EQ(back.thumbprint, "0a 1b 2c");
    EXPECT_EQ(back.keyBlob, r.keyBlob);
}

TEST(KvxLayout, LongTextIsCutToWidthMinusOneOnACharacterBoundary) {
    KavexEncStruct r;
    r.displayName = std::string(300, 'a');
    std::string chinese;
    for (int i = 0; i < 300; ++i)
        chinese += "张";
    r.subjectName = chinese; // 600 GBK bytes into a 512-byte field
    RecordBytes b;
    ASSERT_TRUE(r.toBytes(b));
    EXPECT_EQ(field(&b[20], 255), std::string(255, 'a'));
    EXPECT_EQ(b[20 + 255], 0);
    // 255 characters = 510 bytes; a 256th would need bytes 510 and 511, leaving no terminator.
    EXPECT_EQ(field(&b[276 + 508], 4), std::string("\xd5\xc5\0\0", 4));
    EXPECT_EQ(KavexEncStruct::fromBytes(b).subjectName.size(), 255u * 3);
}

TEST(KvxLayout, BlobMustFitAndReadersClampALargeLength) {
    KavexEncStruct r;
    r.keyBlob.assign(512, 7);
    RecordBytes b;
    EXPECT_TRUE(r.toBytes(b));
    r.keyBlob.assign(513, 7);
    EXPECT_FALSE(r.toBytes(b));
    r.keyBlob.assign(10, 7);
    ASSERT_TRUE(r.toBytes(b));
    putLe32(&b[kRecBlobLen], 0xFFFFFFFFu);
    EXPECT_EQ(KavexEncStruct::fromBytes(b).keyBlob.size(), 512u);
}

} // namespace
