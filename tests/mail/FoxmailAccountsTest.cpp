#include "FoxmailAccountList.h"
#include "FoxmailEmailAcc.h"
#include "FoxmailLocation.h"
#include "FoxmailText.h"
#include "GbkText.h"
#include "MailTestKit.h"
#include "People.h"

using namespace mailtest;

namespace {

TEST(GetKeyValue, FindsOnlyKeysThatFollowALineEnd) {
    struct Case {
        std::string text, key, value;
    } cases[] = {
        {"A=1\r\nMailAddress=abc\r\n", "MailAddress", "abc"},
        {"MailAddress=abc\r\nA=1\r\n", "MailAddress", ""},  // the first line is never found
        {"A=1\r\nMailAddress=abc", "MailAddress", ""},      // no CR LF behind the value
        {"A=1\r\nMailAddressX=1\r\n", "MailAddress", "=1"}, // one character behind the key skipped
        {"A=xMailAddress=no\r\nMailAddress=yes\r\n", "MailAddress", "yes"}, // the search goes on
        {"A=1\r\nMailAddress", "MailAddress", ""},                          // ends at the key
        {"A=1\r\nK=" + std::string(2000, 'v') + "\r\n", "K", std::string(1023, 'v')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetKeyValue(c.text, c.key.c_str()), c.value) << c.text.substr(0, 40);
}

TEST(HashText, UpperCaseGroupsOfFour) {
    const std::pair<std::string, std::string> cases[] = {
        {"0a 1b 2c 3d 4e", "0A1B 2C3D 4E"},
        {"ab cd", "ABCD"},
        {"abc", "ABC"},
        {"0123456789abcdef0123456789ABCDEF01234567", "0123 4567 89AB CDEF 0123 4567 89AB CDEF 0123 4567"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(yx::mail::hashText(in), out);
}

TEST(CFoxmailAccountList, ReadsAsManyWholeRecordsAsTheCountSays) {
    const std::vector<AccountEntry> two = {{"张三", "C:\\mail\\zhang", ""}, {"li", "C:\\mail\\li", "xyz"}};
    const std::string gbk = yx::utf8ToGbkLossy("张三");
    const std::vector<AccountEntry> twoGbk = {{gbk, "C:\\mail\\zhang", ""}, {"li", "C:\\mail\\li", "xyz"}};
    const std::string good = accountListStream(twoGbk);
    struct Case {
        std::string name, stream;
        std::vector<std::string> names;
    } cases[] = {
        {"count 0", accountListStream({}), {}},
        {"two records, the first with L3 = 0", good, {"张三", "li"}},
        {"count larger than the records", accountListStream(twoGbk, 5), {"张三", "li"}},
        {"count byte above 127", accountListStream(twoGbk, 0x80), {}},
        {"cut inside the second folder", good.substr(0, good.size() - 30), {"张三"}},
        {"shorter than the header", good.substr(0, 40), {}},
        {"name length past the end", good.substr(0, 68) + le32(7) + le32(100) + "abc", {}},
    };
    for (const auto& c : cases) {
        CFoxmailAccountList list;
        list.Parse(bytes(c.stream));
        EXPECT_EQ(list.Names(), c.names) << c.name;
        ASSERT_EQ(list.Folders().size(), c.names.size()) << c.name;
        if (!c.names.empty()) {
            EXPECT_EQ(list.Folders()[0], two[0].folder) << c.name;
        }
    }
}

TEST(FindFoxmailPath, OwnRegistryFirstThenTheWinePrefix) {
    struct Case {
        std::string name, ownValue, wineValue; // "-" = no key there
        int result;
        std::string folder;
        std::string ownKey = "V3.1";
    } cases[] = {
        {"own registry", "D:\\Apps\\Foxmail\\Foxmail.exe", "C:\\\\Other\\\\Foxmail.exe", 0,
         "D:\\Apps\\Foxmail"},
        {"wine prefix", "-", "C:\\\\Foxmail\\\\Foxmail.exe", 0, "C:\\Foxmail"},
        {"twelve characters", "-", "C:\\\\Foxmail.", 0, ""},
        {"no key anywhere", "-", "-", -1, "unchanged"},
        {"no V3.1 subkey", "C:\\x\\Foxmail.exe", "-", 0, "unchanged", "V4.0"},
    };
    for (const auto& c : cases) {
        yxtest::ScopedDataRoot root;
        ScopedEnv wine("WINEPREFIX", root.file("wine"));
        if (c.ownValue != "-")
            yx::reg::writeString(yx::reg::Hive::CurrentUser, "Software\\Aerofox\\Foxmail\\" + c.ownKey,
                                 "FoxmailPath", c.ownValue);
        if (c.wineValue != "-")
            makeWinePrefix(root.file("wine"), c.wineValue);
        std::string folder = "unchanged";
        EXPECT_EQ(FindFoxmailPath(folder), c.result) << c.name;
        EXPECT_EQ(folder, c.folder) << c.name;
    }
}

TEST(ToLocalPath, MapsDrivesThroughDosdevicesIgnoringLetterCase) {
    yxtest::TempDir dir;
    ScopedEnv wine("WINEPREFIX", dir.file("p"));
    const std::string foxmail = makeWinePrefix(dir.file("p"));
    std::filesystem::create_directories(foxmail + "/Mail/Zhang");
    EXPECT_EQ(yx::mail::toLocalPath("c:\\FOXMAIL\\mail\\zhang"),
              dir.file("p") + "/dosdevices/c:/Foxmail/Mail/Zhang");
    EXPECT_EQ(yx::mail::toLocalPath("/already/local"), "/already/local");
    EXPECT_EQ(yx::mail::toLocalPath("Q:\\nowhere"), "");
    EXPECT_EQ(yx::mail::toLocalPath("relative\\path"), "");
}

TEST(PatchSignCertHash, ReplacesTheValueAndMovesTheTextFromSmtpHost) {
    const std::string h49 = yx::mail::hashText(std::string(40, 'a'));
    const std::string old49 = yx::mail::hashText(std::string(40, 'b'));
    const std::string pad = std::string(6, '\0');
    struct Case {
        std::string name, before;
        bool ok;
        std::string after;
    } cases[] = {
        {"same length", "X=1\r\nSignCertHash=" + old49 + "\r\nSMTPHost=s\r\n" + pad, true,
         "X=1\r\nSignCertHash=" + h49 + "\r\nSMTPHost=s\r\n" + pad},
        {"empty old value", "X=1\r\nSignCertHash=\r\nSMTPHost=s\r\n" + pad + "tail", true,
         "X=1\r\nSignCertHash=" + h49 + "\r\nSMTPHost=s\r\n" + pad + "tail"},
        {"longer old value", "X=1\r\nSignCertHash=" + old49 + "ZZZZ\r\nSMTPHost=s\r\n", true,
         "X=1\r\nSignCertHash=" + h49 + "\r\nSMTPHost=s\r\n" + std::string(4, '\0')},
        {"no SMTPHost", "X=1\r\nSignCertHash=\r\n", false, ""},
        {"no SignCertHash", "X=1\r\nSMTPHost=s\r\n", false, ""},
        {"SMTPHost before it", "SMTPHost=s\r\nSignCertHash=\r\n", false, ""},
    };
    for (const auto& c : cases) {
        std::string text = c.before;
        EXPECT_EQ(CFoxmailEmailAcc::PatchSignCertHash(text, h49), c.ok) << c.name;
        EXPECT_EQ(text, c.ok ? c.after : c.before) << c.name;
    }
}

// Foxmail in a Wine prefix with two accounts; the first has a signing certificate.
struct FoxmailAccounts : ::testing::Test {
    yxtest::ScopedDataRoot root;
    ScopedEnv wine{"WINEPREFIX", root.file("wine")};
    std::string foxmail = makeWinePrefix(root.file("wine"));
    yxtest::TestCa ca;
    yxtest::Issued zhang = issue(ca, "张三", "zhang@example.cn"),
                   other = issue(ca, "张三", "zhang@example.cn", 2);

    std::string accInfo(const std::string& hash) {
        return "[Account]\r\nMailAddress=zhang@example.cn\r\nSignCertHash=" + hash +
               "\r\nSMTPHost=smtp.example.cn\r\n" + std::string(32, '\0');
    }
    std::string accountFile(const std::string& who) { return foxmail + "/mail/" + who + "/Account.stg"; }

    void SetUp() override {
        yxtest::addToStore("my", zhang);
        yxtest::addToStore("my", other);
        writeCompound(foxmail + "/accounts.cfg",
                      {{"Ver30/accounts.cfg",
                        accountListStream({{yx::utf8ToGbkLossy("张三"), "C:\\Foxmail\\mail\\zhang", ""},
                                           {"li", "C:\\Foxmail\\mail\\li", ""}})}});
        std::filesystem::create_directories(foxmail + "/mail/zhang");
        std::filesystem::create_directories(foxmail + "/mail/li");
        writeCompound(accountFile("zhang"),
                      {{"Ver30/AccInfo.cfg", accInfo(yx::mail::hashText(yxtest::thumbOf(zhang.cert.get())))},
                       {"Ver30/Other", "keep"}});
        writeCompound(accountFile("li"),
                      {{"Ver30/AccInfo.cfg", "[Account]\r\nMailAddress=li@example.cn\r\n"}});
    }
};

TEST_F(FoxmailAccounts, LoadsAndSavesNamesAddressesAndSigningCertificates) {
    CFoxmailEmailAcc store;
    ASSERT_EQ(store.getEmailAcc(), 0);
    ASSERT_EQ(store.GetCount(), 2);
    EXPECT_EQ(text(store.GetAt(0), CEmailAccount::kAccountName), "张三");
    EXPECT_EQ(text(store.GetAt(0), CEmailAccount::kEmailAddress), "zhang@example.cn");
    ASSERT_NE(store.GetAt(0)->getSignCert(), nullptr);
    EXPECT_EQ(thumbOf(store.GetAt(0)->getSignCert()), yxtest::thumbOf(zhang.cert.get()));
    EXPECT_EQ(store.GetAt(1)->getSignCert(), nullptr);

    // Saving writes the new hash into the stream and keeps the rest.
    CEmailAccount* a = store.GetAt(0);
    a->getCertStore().OpenCertStore();
    a->setSignCert(a->getCertStore().FindByThumb(yxtest::thumbOf(other.cert.get())));
    ASSERT_NE(a->getSignCert(), nullptr);
    EXPECT_EQ(store.SaveEmailAcc(a), 0);
    EXPECT_EQ(readCompound(accountFile("zhang"), "Ver30/AccInfo.cfg"),
              accInfo(yx::mail::hashText(yxtest::thumbOf(other.cert.get()))));
    EXPECT_EQ(readCompound(accountFile("zhang"), "Ver30/Other"), "keep");
    ASSERT_EQ(store.getEmailAcc(), 0);
    EXPECT_EQ(thumbOf(store.GetAt(0)->getSignCert()), yxtest::thumbOf(other.cert.get()));
}

TEST_F(FoxmailAccounts, AnUnreadableAccountFileStopsTheLoadAndChangesNothing) {
    yxtest::writeFile(foxmail + "/mail/li", "Account.stg", std::string("not a compound file"));
    CFoxmailEmailAcc store;
    EXPECT_EQ(store.getEmailAcc(), -1);
    EXPECT_EQ(store.GetCount(), 1); // the account before it stays
    EXPECT_EQ(fileText(accountFile("li")), "not a compound file");
    // Saving into it changes nothing either.
    const std::string path = accountFile("li");
    CBBuffer& file = store.GetAt(0)->getProperty(CEmailAccount::kAccountFile)->getBuf();
    file.Free();
    file.AttachBuffer(path.data(), static_cast<int>(path.size()));
    EXPECT_EQ(store.SaveEmailAcc(store.GetAt(0)), 0);
    EXPECT_EQ(fileText(path), "not a compound file");
}

} // namespace
