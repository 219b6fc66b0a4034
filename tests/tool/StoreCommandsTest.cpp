// yaoxia-tool's store, PFX and settings subcommands, run as the real executable against a
// temporary data root: exit status = result code, the program's message on stderr.
#include "People.h"
#include "TestPki.h"
#include "ToolRunner.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace yxtest;

namespace {

class ToolStores : public ::testing::Test {
protected:
    ScopedDataRoot root;
    TempDir files;
    TestCa ca;
};

} // namespace

TEST_F(ToolStores, PfxImportResultsAndListing) {
    Issued me = ca.issue({.cn = "张三", .email = "zhang@example.cn"});
    const auto pfx = writeFile(files.path(), "me.pfx",
                               makePfx(me.key.get(), me.cert.get(), {ca.cert()}, "秘密", PfxKind::TripleDes));

    ::setenv("YX_TEST_PFX_PASS", "秘密", 1);
    expectRuns(
        {{{"import-pfx", pfx, "--password", "pass:nope"}, 7, "导入失败，口令错误！"},
         {{"import-pfx", files.file("absent.pfx"), "--password", "pass:x"}, -1, "您所指定的文件不存在！"},
         {{"import-pfx", pfx, "--password", "env:YX_TEST_PFX_PASS"}}});

    auto my = toolRows(tool({"list", "my"}).out);
    ASSERT_EQ(my.size(), 1u);
    my[0].at(3) = "date"; // valid until; "无CRL": no distribution point in this certificate
    EXPECT_EQ(my[0], (std::vector<std::string>{"0", "张三", "钥匣测试根CA", "date", "", "无CRL",
                                               thumbOf(me.cert.get())}));

    // The chain's CA certificate went into the CA store, without a status column value.
    auto cas = toolRows(tool({"list", "ca"}).out);
    ASSERT_EQ(cas.size(), 1u);
    EXPECT_EQ(cas[0][1], "钥匣测试根CA");
    EXPECT_EQ(cas[0][5], "");
}

TEST_F(ToolStores, PfxExportAppendsExtensionUnlessThere) {
    Issued me = ca.issue({.cn = "李四"});
    const auto pfx = writeFile(files.path(), "me.pfx",
                               makePfx(me.key.get(), me.cert.get(), {}, "a", PfxKind::Modern, "我的证书"));
    ASSERT_EQ(tool({"import-pfx", pfx, "--password", "pass:a"}).status, 0);

    ToolRun ex = tool({"export-pfx", "0", files.file("backup"), "--password", "stdin"}, "新口令\n");
    ASSERT_EQ(ex.status, 0) << ex.err;
    // The file's contents are CertStoreTest's; here the password read from stdin.
    EXPECT_EQ(runCommand(
                  {"openssl", "pkcs12", "-in", files.file("backup.pfx"), "-passin", "pass:新口令", "-noout"}),
              0);

    // Upper-case extension is kept as typed.
    ASSERT_EQ(tool({"export-pfx", "0", files.file("B.PFX"), "--password", "pass:x"}).status, 0);
    EXPECT_TRUE(readFile(files.file("B.PFX.pfx")).empty());
    EXPECT_FALSE(readFile(files.file("B.PFX")).empty());

    EXPECT_NE(tool({"export-pfx", "5", files.file("none"), "--password", "pass:x"}).status, 0);
}

TEST_F(ToolStores, CertificateImportRenameExportRemove) {
    Issued other = ca.issue({.cn = "王五", .email = "wang@example.cn"});
    const auto pem = writeFile(files.path(), "wang.pem", other.pem());
    const auto junk = writeFile(files.path(), "junk.cer", std::string("-----BEGIN CERTIFICATE-----\nAAAA\n"));

    expectRuns({{{"import-cert", "other", junk}, 8, "导入失败，文件格式错误!"},
                {{"import-cert", "ca", junk}, -1, "导入失败，文件格式错误！"},
                {{"import-cert", "other", pem}},
                {{"rename", "other", "0", "同事 王五"}}});
    EXPECT_EQ(toolRows(tool({"list", "other"}).out).at(0).at(4), "同事 王五");
    expectRuns({{{"rename", "other", "0", ""}}, {{"export-cert", "other", "0", files.file("wang")}}});
    EXPECT_EQ(toolRows(tool({"list", "other"}).out).at(0).at(4), "");
    EXPECT_EQ(readFile(files.file("wang.cer")), other.der());

    // No distribution point: the online check reports "无CRL" with result 12.
    ToolRun crl = tool({"crl-check", "other", "0"});
    EXPECT_EQ(crl.status, 12);
    EXPECT_EQ(crl.out, "无CRL\n");
    EXPECT_EQ(tool({"crl-check", "ca", "0"}).status, 2) << "the CA page has no CRL check";
    EXPECT_EQ(tool({"crl-check", "other", "7"}).status, 1);

    EXPECT_EQ(tool({"remove", "other", "0"}).status, 0);
    EXPECT_TRUE(toolRows(tool({"list", "other"}).out).empty());
    EXPECT_NE(tool({"remove", "ca", "0"}).status, 0) << "the CA store offers no delete";
}

TEST_F(ToolStores, PfxPasswordChangeResults) {
    Issued me = ca.issue({.cn = "赵六"});
    const auto pfx = writeFile(files.path(), "src.pfx",
                               makePfx(me.key.get(), me.cert.get(), {}, "old", PfxKind::TripleDes));
    const std::string target = files.file("dst.pfx");

    expectRuns({{{"pfx-passwd", pfx, target, "--password", "pass:bad", "--new-password", "pass:new"},
                 7,
                 "备份失败，源文件口令错误！"},
                {{"pfx-passwd", files.file("nope.pfx"), target, "--password", "pass:a"},
                 -1,
                 "您所要更改的源文件不存在！"}});
    EXPECT_TRUE(readFile(target).empty()) << "nothing is written on failure";
    expectRuns({{{"pfx-passwd", pfx, target, "--password", "stdin", "--new-password", "stdin"},
                 0,
                 "",
                 "old\nnew\n"}});
    EXPECT_EQ(runCommand({"openssl", "pkcs12", "-in", target, "-passin", "pass:new", "-noout"}), 0);
}

TEST_F(ToolStores, SettingsRoundTripAndUsage) {
    ToolRun get = tool({"settings", "get", "Common", "SartOnlineCRLCheck"});
    EXPECT_EQ(get.status, 0);
    EXPECT_EQ(get.out, "\n") << "missing entries read as empty";
    ASSERT_EQ(tool({"settings", "set", "Common", "SartOnlineCRLCheck", "1"}).status, 0);
    EXPECT_EQ(tool({"settings", "get", "common", "sartonlinecrlcheck"}).out, "1\n");

    expectRuns({{{"no-such-command"}, 2}, {{"list"}, 2}, {{"import-pfx", "x", "--password", "bogus:1"}, 2}});
}
