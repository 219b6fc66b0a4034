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

    // No default and no --to: nobody to encrypt for; --to alone while no default is set.
    expectRuns(
        {{{"encrypt", src, files.file("x")}, 2, "请配置默认的文件加密证书！"},
         {{"encrypt", src, files.file("only"), "--to", thumbOf(friend1.cert.get())}, 0, "加密成功！"}});
    const Bytes onlyFile = readFile(files.file("only.kvx"));
    EXPECT_EQ(onlyFile.size(), 664 + 1688 + 5000 / 8 * 8 + 8);
    EXPECT_EQ(recordName(onlyFile, 0), "赵六");

    expectRuns({{{"set-default-cert", thumbOf(friend1.cert.get())}, 2}, // only personal certificates
                {{"set-default-cert", thumbOf(me.cert.get())}}});
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
    const std::string enc = files.file("doc.pdf.kvx"), out = files.file("out");
    expectRuns({{{"encrypt", src, enc, "--password", "stdin"}, 0, "", "秘密\n"},
                {{"decrypt", enc, out}, 220, "解密失败！"},
                {{"decrypt", enc, out, "--password", "pass:错"}, 216, "口令错误！"},
                {{"decrypt", enc, out, "--password", "pass:秘密", "--cert", thumbOf(friend1.cert.get())},
                 219,
                 "没有可用的解密证书！"}});
    EXPECT_FALSE(std::filesystem::exists(files.file("out.pdf")));

    ToolRun ok = tool({"decrypt", files.file("doc.pdf.kvx"), files.file("out"), "--password", "pass:秘密",
                       "--cert", thumbOf(me.cert.get())});
    ASSERT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(ok.out, files.file("out.pdf") + "\n");
    EXPECT_EQ(readFile(files.file("out.pdf")), plain);

    // A password file written on Windows ends its line with CR LF; the CR is no part of it.
    // An option without its value, a missing source and too few arguments are the tool's own
    // checks (the engine's codes and their causes are EncryptionEngineTest's).
    const std::string pwFile = writeFile(files.path(), "pw.txt", std::string("秘密\r\n"));
    expectRuns({{{"decrypt", enc, files.file("again"), "--password", "file:" + pwFile}},
                {{"decrypt", enc, files.file("again2"), "--password"}, 2, "usage:"},
                {{"decrypt", files.file("absent.kvx"), files.file("o")}, 202, "您所指定的文件不存在！"},
                {{"encrypt", "only-one-arg"}, 2}});
}

TEST_F(ToolKvx, DeleteSourceAndClearingTheDefault) {
    const std::string src = writeFile(files.path(), "del.txt", std::string("bye"));
    expectRuns({{{"encrypt", src, files.file("del"), "--to", thumbOf(friend1.cert.get()), "--delete-source"}},
                {{"set-default-cert", thumbOf(me.cert.get())}},
                {{"set-default-cert", ""}}});
    EXPECT_FALSE(std::filesystem::exists(src));
    EXPECT_EQ(tool({"settings", "get", "DefaultEncCert", "CertHash"}).out, "\n");
}

} // namespace
