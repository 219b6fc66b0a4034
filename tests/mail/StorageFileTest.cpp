#include "StorageFile.h"
#include "MailTestKit.h"

using namespace mailtest;

namespace {

const std::map<std::string, std::string> kStreams = {
    {"Ver30/AccInfo.cfg", "MailAddress=a@b\r\n"},
    {"Ver30/Deeper/Note", std::string(5000, 'n')}, // a big-block stream in a nested storage
    {"Top", "top"},
};

class StorageFileSectors : public ::testing::TestWithParam<unsigned> {};

TEST_P(StorageFileSectors, ReadsStoragesAndStreamsOfAFileWrittenByLibgsf) {
    yxtest::TempDir dir;
    writeCompound(dir.file("a.stg"), kStreams, GetParam());
    CStorageFile f;
    ASSERT_TRUE(f.Open(dir.file("a.stg")));
    EXPECT_EQ(f.ChildNames(), (std::vector<std::string>{"Top", "Ver30"}));
    yx::Bytes content;
    EXPECT_FALSE(f.OpenStorage("Top")); // a stream is no storage
    ASSERT_TRUE(f.OpenStorage("Ver30"));
    EXPECT_FALSE(f.OpenStream("Deeper", content)); // a storage is no stream
    ASSERT_TRUE(f.OpenStream("AccInfo.cfg", content));
    EXPECT_EQ(std::string(content.begin(), content.end()), kStreams.at("Ver30/AccInfo.cfg"));
    EXPECT_FALSE(f.OpenStream("Missing", content));
    ASSERT_TRUE(f.OpenStorage("Deeper"));
    ASSERT_TRUE(f.OpenStream("Note", content));
    EXPECT_EQ(content.size(), 5000u);
    f.Close();
    EXPECT_FALSE(f.IsOpen());
    EXPECT_FALSE(f.OpenStorage("Ver30"));
}

INSTANTIATE_TEST_SUITE_P(Versions, StorageFileSectors, ::testing::Values(512u, 4096u));

TEST(CStorageFile, ReplaceStreamWritesAWholeNewFileWithEveryOtherStreamUnchanged) {
    const std::string cases[] = {"", "short", std::string(9000, 'L')}; // shrink, grow into big blocks
    for (const std::string& replacement : cases) {
        yxtest::TempDir dir;
        const std::string path = dir.file("a.stg");
        writeCompound(path, kStreams);
        ASSERT_TRUE(CStorageFile::ReplaceStream(path, {"Ver30", "AccInfo.cfg"}, bytes(replacement)));
        EXPECT_EQ(readCompound(path, "Ver30/AccInfo.cfg"), replacement);
        EXPECT_EQ(readCompound(path, "Ver30/Deeper/Note"), kStreams.at("Ver30/Deeper/Note"));
        EXPECT_EQ(readCompound(path, "Top"), "top");
    }
}

TEST(CStorageFile, DamagedOrForeignFilesAreRefusedAndLeftUnchanged) {
    yxtest::TempDir dir;
    writeCompound(dir.file("good.stg"), kStreams);
    const std::string good = fileText(dir.file("good.stg"));
    // A root entry with a sibling, in a file of 4096-byte sectors, whose header fills a whole sector.
    writeCompound(dir.file("v4.stg"), kStreams, 4096);
    std::string rootWithSibling = fileText(dir.file("v4.stg"));
    const size_t firstDirSector = static_cast<unsigned char>(rootWithSibling[0x30]); // small files
    rootWithSibling.replace(4096 * (firstDirSector + 1) + 0x44, 4, std::string(4, '\0'));
    const std::map<std::string, std::string> files = {
        {"text", "MailAddress=a@b\r\n"},        {"truncated", good.substr(0, 700)},
        {"header only", good.substr(0, 512)},   {"missing", ""},
        {"root with sibling", rootWithSibling},
    };
    for (const auto& [name, content] : files) {
        const std::string path =
            name == "missing" ? dir.file(name) : yxtest::writeFile(dir.path(), name, content);
        CStorageFile f;
        yx::Bytes read;
        EXPECT_FALSE(f.Open(path) && f.OpenStorage("Ver30") && f.OpenStream("AccInfo.cfg", read)) << name;
        EXPECT_FALSE(CStorageFile::ReplaceStream(path, {"Ver30", "AccInfo.cfg"}, bytes("x"))) << name;
        EXPECT_EQ(yx::fileExists(path) ? fileText(path) : "", content) << name;
    }
}

} // namespace
