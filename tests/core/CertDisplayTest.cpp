#include "CertContext.h"
#include "DigitalCertificate.h"
#include "TestPki.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// Restores the default viewer after each test.
class CertDisplay : public ::testing::Test {
protected:
    void TearDown() override { CDigitalCertificate::setViewerCommand({}); }

    yxtest::TempDir tmp;   // the TMPDIR the temporary file goes to
    yxtest::TempDir where; // what the fake viewer leaves behind
    yxtest::ScopedEnv tmpEnv{"TMPDIR", tmp.path()};
    yxtest::TestCa ca;
    yxtest::Issued issued = ca.issue({});
    CDigitalCertificate cert{yx::CertContext::fromX509(issued.cert.get())};

    bool tmpIsEmpty() const { return fs::is_empty(tmp.path()); }
};

} // namespace

TEST_F(CertDisplay, ViewerGetsAnOwnerOnlyDerFileThatIsGoneAfterwards) {
    const std::string script =
        yxtest::writeFile(where.path(), "viewer.sh",
                          "#!/bin/sh\nd='" + where.path() +
                              "'\nstat -c %a \"$1\" > \"$d/mode\"\ncp \"$1\" \"$d/copy\"\n"
                              "printf '%s' \"$1\" > \"$d/path\"\necho $# > \"$d/argc\"\n");
    ASSERT_EQ(::chmod(script.c_str(), 0700), 0);
    CDigitalCertificate::setViewerCommand({script});

    EXPECT_EQ(cert.Display(), 0);
    const auto text = [&](const char* name) {
        auto b = yxtest::readFile(where.path() + "/" + name);
        std::string s(b.begin(), b.end());
        s.erase(s.find_last_not_of('\n') + 1);
        return s;
    };
    EXPECT_EQ(text("mode"), "600");
    EXPECT_EQ(text("argc"), "1");
    EXPECT_EQ(yxtest::readFile(where.path() + "/copy"), issued.der());
    const fs::path shown = text("path");
    EXPECT_EQ(shown.parent_path(), fs::path(tmp.path()));
    EXPECT_EQ(shown.filename().string().rfind("CERT", 0), 0u) << shown;
    EXPECT_EQ(shown.filename().string().size(), 10u); // CERT and six characters, no extension
    EXPECT_FALSE(fs::exists(shown));
    EXPECT_TRUE(tmpIsEmpty());
}

TEST_F(CertDisplay, AViewerThatCannotStartGivesMinusOneAndLeavesNoFile) {
    CDigitalCertificate::setViewerCommand({where.path() + "/no-such-viewer"});
    EXPECT_EQ(cert.Display(), -1);
    EXPECT_TRUE(tmpIsEmpty());
}
