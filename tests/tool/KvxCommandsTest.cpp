// yaoxia-tool's encrypted-file subcommands, run as the real executable against a temporary data
// root: exit status = the run's result code, the system's message on stderr. What the records
// and the payload hold is checked against openssl in EncryptionEngineTest; here the order of the
// records the options ask for.
#include "../kvx/KvxTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "GbkText.h"
#include "ToolRunner.h"

using namespace yxtest;
using namespace kvxtest;

namespace {

std::string recordName(const Bytes& file, size_t i) {
    return yx::gbkToUtf8Lossy(reinterpret_cast<const char*>(&file[664 + 1688 * i + 20]));
}

class ToolKvx : public ::testing::Test {
protected:
    void SetUp() override {
        me = ca.issue({.cn = "王五", .keyIndex = 1});
        friend1 = ca.issue({.cn = "赵六", .keyIndex = 2});
        friend2 = ca.issue({.cn = "Friend Two", .keyIndex = 3});
        ASSERT_TRUE(addToStore("my", me));
        ASSERT_TRUE(addToStore("other", friend1));
        ASSERT_TRUE(addToStore("other", friend2));
    }
    ScopedDataRoot root;
    TempDir files;
    TestCa ca;
    Issued me, friend1, friend2;
};

TEST_F(ToolKvx, DefaultCertificateFirstThenRecipients) {
    const Bytes plain = randomBytes(5000, 1);
    const std::string src = writeFile(files.path(), "data.bin", plain);

    // No default and no --to: nobody to encrypt for.
    ToolRun none = tool({"encrypt", src, files.file("x")});
    EXPECT_EQ(none.status, 2);
    EXPECT_TRUE(has(none.err, "请配置默认的文件加密证书！")) << none.err;

    // --to alone while no default is set.
    ToolRun only = tool({"encrypt", src, files.file("only"), "--to", thumbOf(friend1.cert.get())});
    ASSERT_EQ(only.status, 0) << only.err;
    EXPECT_TRUE(has(only.err, "加密成功！"));
    const Bytes onlyFile = readFile(files.file("only.kvx"));
    EXPECT_EQ(onlyFile.size(), 664 + 1688 + 5000 / 8 * 8 + 8);
    EXPECT_EQ(recordName(onlyFile, 0), "赵六");

    EXPECT_EQ(tool({"set-default-cert", thumbOf(friend1.cert.get())}).status, 2)
        << "only personal certificates";
    ASSERT_EQ(tool({"set-default-cert", thumbOf(me.cert.get())}).status, 0);
    EXPECT_EQ(tool({"settings", "get", "DefaultEncCert", "CertHash"}).out.substr(0, 59),
              thumbOf(me.cert.get()));

    ToolRun both = tool({"encrypt", src, files.file("both.KVX"), "--to", thumbOf(friend2.cert.get()), "--to",
                         thumbOf(friend1.cert.get())});
    ASSERT_EQ(both.status, 0) << both.err;
    const Bytes file = readFile(files.file("both.KVX")); // ".kvx" in any case is kept
    ASSERT_GT(file.size(), 664u + 3 * 1688);
    EXPECT_EQ(recordName(file, 0), "王五");
    EXPECT_EQ(recordName(file, 1), "Friend Two");
    EXPECT_EQ(recordName(file, 2), "赵六");

    ToolRun unknown = tool({"encrypt", src, files.file("u"), "--to", "00 11 22"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_FALSE(std::filesystem::exists(files.file("u.kvx")));
}

TEST_F(ToolKvx, DecryptWithPasswordAndCertificateChoice) {
    ASSERT_EQ(tool({"set-default-cert", thumbOf(me.cert.get())}).status, 0);
    const Bytes plain = randomBytes(2016, 2);
    const std::string src = writeFile(files.path(), "doc.pdf", plain);
    ToolRun enc = tool({"encrypt", src, files.file("doc.pdf.kvx"), "--password", "stdin"}, "秘密\n");
    ASSERT_EQ(enc.status, 0) << enc.err;

    ToolRun noPw = tool({"decrypt", files.file("doc.pdf.kvx"), files.file("out")});
    EXPECT_EQ(noPw.status, 220);
    EXPECT_TRUE(has(noPw.err, "解密失败！"));
    ToolRun wrong = tool({"decrypt", files.file("doc.pdf.kvx"), files.file("out"), "--password", "pass:错"});
    EXPECT_EQ(wrong.status, 216);
    EXPECT_TRUE(has(wrong.err, "口令错误！"));
    EXPECT_FALSE(std::filesystem::exists(files.file("out.pdf")));
    ToolRun other = tool({"decrypt", files.file("doc.pdf.kvx"), files.file("out"), "--password", "pass:秘密",
                          "--cert", thumbOf(friend1.cert.get())});
    EXPECT_EQ(other.status, 219);
    EXPECT_TRUE(has(other.err, "没有可用的解密证书！"));

    ToolRun ok = tool({"decrypt", files.file("doc.pdf.kvx"), files.file("out"), "--password", "pass:秘密",
                       "--cert", thumbOf(me.cert.get())});
    ASSERT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(ok.out, files.file("out.pdf") + "\n");
    EXPECT_EQ(readFile(files.file("out.pdf")), plain);

    // A password file written on Windows ends its line with CR LF; the CR is no part of it.
    const std::string pwFile = writeFile(files.path(), "pw.txt", std::string("秘密\r\n"));
    ToolRun fromFile =
        tool({"decrypt", files.file("doc.pdf.kvx"), files.file("again"), "--password", "file:" + pwFile});
    EXPECT_EQ(fromFile.status, 0) << fromFile.err;
    // An option without its value is a usage error, not a crash.
    ToolRun missing = tool({"decrypt", files.file("doc.pdf.kvx"), files.file("again2"), "--password"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(has(missing.err, "usage:")) << missing.err;
}

// The tool's own checks; the engine's codes and their causes are EncryptionEngineTest's.
TEST_F(ToolKvx, MissingSourceAndTooFewArguments) {
    ToolRun missing = tool({"decrypt", files.file("absent.kvx"), files.file("o")});
    EXPECT_EQ(missing.status, 202);
    EXPECT_TRUE(has(missing.err, "您所指定的文件不存在！"));

    EXPECT_EQ(tool({"encrypt", "only-one-arg"}).status, 2);
}

TEST_F(ToolKvx, DeleteSourceAndClearingTheDefault) {
    const std::string src = writeFile(files.path(), "del.txt", std::string("bye"));
    ASSERT_EQ(
        tool({"encrypt", src, files.file("del"), "--to", thumbOf(friend1.cert.get()), "--delete-source"})
            .status,
        0);
    EXPECT_FALSE(std::filesystem::exists(src));
    ASSERT_EQ(tool({"set-default-cert", thumbOf(me.cert.get())}).status, 0);
    ASSERT_EQ(tool({"set-default-cert", ""}).status, 0);
    EXPECT_EQ(tool({"settings", "get", "DefaultEncCert", "CertHash"}).out, "\n");
}

} // namespace
