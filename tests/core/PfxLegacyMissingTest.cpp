// A machine where OpenSSL's legacy provider cannot be loaded: old PFX files are refused with
// their own code (so the program can say why), everything else keeps working. A test program of
// its own, because a process loads the provider at most once.
#include "CertStore.h"
#include "DataPaths.h"
#include "PfxFile.h"
#include "SafeFile.h"
#include "TestPki.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace yxtest;

namespace {

// Before main, so no OpenSSL call of this process can find the module.
const bool kModulesHidden = [] {
    return ::setenv("OPENSSL_MODULES", "/nonexistent/yaoxia-no-modules", 1) == 0;
}();

size_t filesUnder(const std::string& dir) {
    size_t n = 0;
    std::error_code ec;
    for (std::filesystem::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        n += it->is_regular_file() && it->path().filename() != ".lock";
    return n;
}

} // namespace

TEST(WithoutLegacyProvider, OldPfxGives14AndNewerKindsStillWork) {
    ASSERT_TRUE(kModulesHidden);
    EXPECT_FALSE(yx::ensureLegacyProvider());

    TestCa ca;
    Issued user = ca.issue({.cn = "旧文件用户"});
    TempDir dir;
    const std::string certPem = writeFile(dir.path(), "c.pem", user.pem());
    const std::string keyPem = writeFile(dir.path(), "k.pem", user.keyPem());
    const std::string legacy = dir.file("old.pfx");
    // The openssl program finds its modules where it always does.
    ASSERT_EQ(runCommand({"env", "-u", "OPENSSL_MODULES", "openssl", "pkcs12", "-export", "-legacy", "-in",
                          certPem, "-inkey", keyPem, "-name", "old", "-passout", "pass:pw", "-out", legacy}),
              0);

    yx::PfxContents c;
    EXPECT_EQ(yx::readPfx(readFile(legacy), "pw", c), yx::rc::kLegacyUnavailable);
    EXPECT_FALSE(c.cert || c.key);
    // The MAC needs no legacy algorithm, so a wrong password is still told as such.
    EXPECT_EQ(yx::readPfx(readFile(legacy), "wrong", c), yx::rc::kWrongPassword);

    ScopedDataRoot root;
    CMyCertStore my;
    EXPECT_EQ(my.ImportP12(nullptr, legacy.c_str(), "pw"), yx::rc::kLegacyUnavailable);
    EXPECT_EQ(filesUnder(yx::paths::dataDir()), 0u);
    const std::string target = dir.file("t.pfx");
    EXPECT_EQ(CPFXFile::UpdateP12FilePasswd(legacy.c_str(), "pw", target.c_str(), "new"),
              yx::rc::kLegacyUnavailable);
    EXPECT_FALSE(yx::fileExists(target));

    // 3DES and AES files need nothing from the legacy provider, and our own exports are 3DES.
    for (PfxKind kind : {PfxKind::TripleDes, PfxKind::Modern}) {
        const std::string path =
            writeFile(dir.path(), "n.pfx", makePfx(user.key.get(), user.cert.get(), {}, "pw", kind));
        EXPECT_EQ(my.ImportP12(nullptr, path.c_str(), "pw"), 0);
        EXPECT_EQ(CPFXFile::UpdateP12FilePasswd(path.c_str(), "pw", target.c_str(), "new"), 0);
        EXPECT_EQ(yx::readPfx(readFile(target), "new", c), 0);
    }
    ASSERT_EQ(my.OpenCertStore(), 0);
    ASSERT_EQ(my.GetCertCount(), 1);
    EXPECT_EQ(my.ExportP12(0, dir.file("e.pfx").c_str(), "x"), 0);
    EXPECT_EQ(runCommand({"env", "-u", "OPENSSL_MODULES", "openssl", "pkcs12", "-in", dir.file("e.pfx"),
                          "-passin", "pass:x", "-nodes", "-out", dir.file("e.txt")}),
              0);
}
