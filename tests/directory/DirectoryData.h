// The people the directory tests put into slapd, and helpers to read results. Host A holds
// two people named 张三, a person with two certificates, a name with filter characters and an
// entry whose certificate attribute also holds a value that is no certificate; host B holds
// other people.
#pragma once

#include "DigitalCertificate.h"
#include "OwnedCerts.h"
#include "People.h"
#include "SlapdFixture.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace yxtest {

inline constexpr const char* kStarName = "星号*(括号)\\反斜杠";

// The results of one or more look-ups.
struct Found {
    yx::OwnedCerts certs;
    std::vector<std::string> thumbs() const {
        std::vector<std::string> out;
        for (const auto& c : certs) {
            std::string t;
            c->getThumbPrint(t);
            out.push_back(t);
        }
        return out;
    }
};

// One slapd for all tests of a test program, started on first use.
class DirectoryServer {
public:
    static DirectoryServer& get() {
        static DirectoryServer s;
        return s;
    }
    // Non-empty when slapd is not installed here (the tests skip).
    const std::string& unavailable() const { return m_unavailable; }
    // Non-empty when slapd is installed but did not start (the tests fail).
    const std::string& problem() const { return m_problem; }
    SlapdFixture& slapd() { return m_slapd; }
    // Thumbprint by key: "zhang1", "zhang2", "alice1", "alice2", "star", "bob", "lisi", "hanmei".
    const std::string& thumb(const std::string& key) { return m_thumbs.at(key); }

private:
    DirectoryServer() {
        m_unavailable = SlapdFixture::unavailableReason();
        if (!m_unavailable.empty())
            return;
        TestCa ca;
        std::map<std::string, Bytes> der;
        const auto make = [&](const std::string& key, const std::string& cn, const std::string& mail) {
            der[key] = ca.issue({.cn = cn, .email = mail}).der();
            m_thumbs[key] = thumbOf(der[key]);
            return der[key];
        };
        std::vector<DirectoryEntry> a = {
            {"张三",
             "zhang@example.cn",
             {junkCertificateValue(), make("zhang1", "张三", "zhang@example.cn")}},
            {"张三", "zhang2@example.cn", {make("zhang2", "张三", "zhang2@example.cn")}},
            {"Alice Smith",
             "alice@example.cn",
             {make("alice1", "Alice Smith", "alice@example.cn"),
              make("alice2", "Alice Smith", "alice@example.cn")}},
            {kStarName, "star@example.cn", {make("star", kStarName, "star@example.cn")}},
            {"星号X(括号)\\反斜杠", "starx@example.cn", {}},
            {"无证书", "nocert@example.cn", {}},
            {"韩梅", "hanmei@example.cn", {junkCertificateValue()}},
        };
        std::vector<DirectoryEntry> b = {
            {"Bob", "bob@example.cn", {make("bob", "Bob", "bob@example.cn")}},
            {"李四", "lisi@example.cn", {make("lisi", "李四", "lisi@example.cn")}},
            {"韩梅", "hanmei@example.cn", {make("hanmei", "韩梅", "hanmei@example.cn")}},
        };
        // ldaps:// with a server certificate for 127.0.0.1 from the test CA, which libldap is
        // told to trust (LDAPTLS_CACERT is read when libldap first initialises).
        Issued server = ca.issue({.cn = "127.0.0.1"});
        m_slapd.enableTls(server.pem(), server.keyPem());
        ::setenv("LDAPTLS_CACERT", writeFile(m_files.path(), "ca.pem", pemOf(ca.cert())).c_str(), 1);
        ::setenv("LDAPTLS_REQCERT", "demand", 1);
        std::string error;
        if (!m_slapd.start(a, b, error))
            m_problem = "slapd did not start: " + error;
    }

    TempDir m_files;
    SlapdFixture m_slapd;
    std::string m_unavailable;
    std::string m_problem;
    std::map<std::string, std::string> m_thumbs;
};

// For a fixture's SetUp: skips without slapd, fails when it did not start.
#define YX_REQUIRE_DIRECTORY_SERVER()                                                                        \
    do {                                                                                                     \
        auto& server_ = ::yxtest::DirectoryServer::get();                                                    \
        if (!server_.unavailable().empty())                                                                  \
            GTEST_SKIP() << server_.unavailable();                                                           \
        ASSERT_TRUE(server_.problem().empty()) << server_.problem();                                         \
    } while (0)

} // namespace yxtest
