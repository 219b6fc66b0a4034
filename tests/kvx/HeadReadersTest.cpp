// Both readers of an encrypted file's head, rule by rule, over files built byte by byte here.
#include "DecryptHeadReader.h"
#include "SecureFileInfo.h"
#include "TestPki.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace yx::kvx;
using yxtest::Bytes;

namespace {

Bytes recordBlock(const std::string& name, const std::string& thumb) {
    KavexEncStruct r;
    r.displayName = name;
    r.thumbprint = thumb;
    r.keyBlob.assign(268, 0x5a);
    RecordBytes b;
    EXPECT_TRUE(r.toBytes(b));
    return Bytes(b.begin(), b.end());
}

Bytes headerBlock(bool prot, const std::string& ext, uint32_t size) {
    EncFileHeader h;
    h.protectedFlag = prot;
    h.extension = ext;
    h.sourceSize = size;
    const auto b = h.toBytes();
    return Bytes(b.begin(), b.end());
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// A version-2 head of an unprotected ".txt" file followed by `rest`.
Bytes v2(std::initializer_list<Bytes> rest) {
    return concat({text("KavexFileType=2;"), headerBlock(false, ".txt", 1), concat(rest)});
}

class HeadReaders : public ::testing::Test {
protected:
    std::string write(const Bytes& b) {
        return yxtest::writeFile(dir.path(), "f" + std::to_string(n++) + ".kvx", b);
    }

    // Runs both readers: the decrypt reader's result, message and head, the info reader's result.
    struct Both {
        int decrypt;
        std::string message;
        int info;
        DecryptHead head;
        CSecureFileInfo infoReader;
    };
    Both read(const Bytes& b) {
        const std::string path = write(b);
        Both r;
        r.decrypt = ReadDecryptHead(path, r.head, r.message);
        r.info = r.infoReader.Read(path);
        EXPECT_EQ(r.infoReader.records().size(),
                  r.decrypt == 1 ? r.head.records.size() : r.infoReader.records().size());
        return r;
    }

    yxtest::TempDir dir;
    int n = 0;
};

TEST_F(HeadReaders, VersionTwoWithRecordsAndPayload) {
    Both r = read(concat({text("KavexFileType=2;"), headerBlock(true, ".doc", 1234),
                          recordBlock("张三", "aa bb"), recordBlock("李四", "cc dd"), Bytes(1240, 0x11)}));
    EXPECT_EQ(r.decrypt, 1);
    EXPECT_EQ(r.message, "");
    EXPECT_EQ(r.info, 0);
    EXPECT_EQ(r.head.version, Version::V2);
    EXPECT_EQ(r.head.protectionFlag, '1');
    EXPECT_TRUE(r.head.isProtected());
    ASSERT_EQ(r.head.records.size(), 2u);
    EXPECT_EQ(r.head.dataOffset, 664u + 2 * 1688u);
    EXPECT_EQ(r.head.headerFields().extension, ".doc");
    EXPECT_EQ(std::string(r.head.marker.data()), "KavexFileType=2;");
    EXPECT_EQ(recordThumbprint(r.head.records[1]), "ccdd");

    const auto usable = usableRecords(r.head, [](const std::string& t) { return t == "ccdd"; });
    ASSERT_EQ(usable.size(), 1u);
    EXPECT_EQ(usable[0].index, 1u);
    EXPECT_EQ(usable[0].displayName, "李四");

    EXPECT_EQ(r.infoReader.version(), Version::V2);
    EXPECT_EQ(r.infoReader.dataOffset(), r.head.dataOffset);
    r.infoReader.Clear();
    EXPECT_TRUE(r.infoReader.records().empty());
}

TEST_F(HeadReaders, OtherMarkers) {
    for (const std::string& m : {std::string("kavexfiletype=2;"), std::string("KavexFileType=3;"),
                                 std::string("Kavex"), std::string("")}) {
        Both r = read(concat({text(m), headerBlock(false, ".txt", 1), recordBlock("x", "y"), Bytes(8, 0)}));
        EXPECT_EQ(r.decrypt, 0) << m;
        EXPECT_EQ(r.message, "加密文件格式错误！");
    }
    // The properties reader reads any other marker on as version 2; the dialog then shows nothing.
    const std::string path = write(concat(
        {text("XavexFileType=2;"), headerBlock(false, ".txt", 1), recordBlock("x", "y"), Bytes(8, 0)}));
    CSecureFileInfo info;
    EXPECT_EQ(info.Read(path), 0);
    EXPECT_EQ(info.version(), Version::None);
    const SecureFileProperties p = secureFileProperties(path);
    EXPECT_EQ(p.fileType, "");
    EXPECT_TRUE(p.recipients.empty());
}

TEST_F(HeadReaders, ShortHead) {
    for (size_t len : {size_t(16), size_t(17), size_t(663)}) {
        Bytes file = v2({});
        file.resize(len);
        Both r = read(file);
        EXPECT_EQ(r.decrypt, 0) << len;
        EXPECT_EQ(r.message, "读加密文件格式错误！");
        EXPECT_EQ(r.info, -1);
    }
    Both tiny = read(text("KavexFile"));
    EXPECT_EQ(tiny.message, "加密文件格式错误！");
    EXPECT_EQ(tiny.info, -1);
}

TEST_F(HeadReaders, MissingTagOrShortRecordEndsTheList) {
    Bytes untagged = recordBlock("x", "y");
    untagged[0] = 'k';
    Both none = read(v2({untagged, Bytes(8, 0)}));
    EXPECT_EQ(none.decrypt, 1);
    EXPECT_TRUE(none.head.records.empty());
    EXPECT_EQ(none.head.dataOffset, 664u);
    EXPECT_EQ(none.info, -1);

    Bytes shortRecord = recordBlock("x", "y");
    shortRecord.resize(1687);
    Both cut = read(v2({shortRecord}));
    EXPECT_EQ(cut.decrypt, 1);
    EXPECT_TRUE(cut.head.records.empty());
    EXPECT_EQ(cut.info, -1);

    // A tag after an untagged block is not reached.
    Both later = read(v2({recordBlock("a", "1"), untagged, recordBlock("b", "2")}));
    EXPECT_EQ(later.head.records.size(), 1u);
    EXPECT_EQ(later.head.dataOffset, 664u + 1688u);
}

TEST_F(HeadReaders, PayloadThatLooksLikeARecordIsTakenAsOne) {
    Bytes payload(1688 + 16, 0x22);
    std::memcpy(payload.data(), "KavexEncStruct", 14);
    Both r = read(v2({recordBlock("a", "1"), payload}));
    EXPECT_EQ(r.head.records.size(), 2u);
    EXPECT_EQ(r.head.dataOffset, 664u + 2 * 1688u);
    payload[14] = 'X'; // only 14 bytes are compared: the rest of the tag field may hold anything
    EXPECT_EQ(read(v2({recordBlock("a", "1"), payload})).head.records.size(), 2u);
    payload.resize(1000); // fewer than 1688 bytes behind it: no record
    EXPECT_EQ(read(v2({recordBlock("a", "1"), payload})).head.records.size(), 1u);
}

TEST_F(HeadReaders, UnopenableFile) {
    DecryptHead head;
    std::string message;
    EXPECT_EQ(ReadDecryptHead(dir.file("absent.kvx"), head, message), 0);
    EXPECT_EQ(message, "打开解密源文件失败！");
    CSecureFileInfo info;
    EXPECT_EQ(info.Read(dir.file("absent.kvx")), -1);
    EXPECT_EQ(info.Read(dir.path()), -1); // a folder
}

} // namespace
