// A PFX import stores all of it or none of it: when the personal certificate or any chain
// certificate cannot be stored, the stores are left as they were, so they agree with the
// failure the user is told about.
#include "CertStore.h"
#include "DataPaths.h"
#include "TestPki.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// A personal store that takes nothing.
class RefusingBackend : public yx::CertStoreBackend {
public:
    bool load(std::vector<yx::StoreEntry>&) override { return true; }
    bool add(const std::vector<unsigned char>&, const std::vector<unsigned char>&,
             const std::optional<std::string>&, const std::string&) override {
        return false;
    }
    bool remove(const std::string&) override { return false; }
    bool saveProperties(const yx::CertContext&) override { return false; }
};

size_t entries(const std::string& store) {
    std::vector<yx::StoreEntry> out;
    yx::makeDiskStoreBackend(store)->load(out);
    return out.size();
}

} // namespace

TEST(PfxImportAllOrNothing, AFailedStepLeavesEveryStoreAsItWas) {
    enum class Fault { CaStoreUnwritable, PersonalStoreRefuses };
    struct Case {
        const char* name;
        Fault fault;
        bool caAlreadyStored; // the chain's CA was there before and stays
    };
    const Case cases[] = {
        {"chain store unwritable", Fault::CaStoreUnwritable, false},
        {"personal store refuses", Fault::PersonalStoreRefuses, false},
        {"personal store refuses, CA there before", Fault::PersonalStoreRefuses, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        yxtest::ScopedDataRoot root;
        yxtest::TestCa ca;
        // A chain certificate that is no CA: other people's store.
        const auto other = ca.issue({.cn = "链中的证书", .keyIndex = 2});
        const auto me = ca.issue({.cn = "张伟"});
        const std::string pfx =
            yxtest::writeFile(root.path(), "me.pfx",
                              yxtest::makePfx(me.key.get(), me.cert.get(), {other.cert.get(), ca.cert()},
                                              "pw", yxtest::PfxKind::TripleDes));
        if (c.caAlreadyStored) {
            ASSERT_TRUE(yx::makeDiskStoreBackend("ca")->add(ca.der(), {}, std::nullopt, ""));
        }
        const size_t caBefore = entries("ca");

        int rc = 0;
        if (c.fault == Fault::CaStoreUnwritable) {
            // A file where the CA store's folder belongs: nothing can be stored there.
            std::filesystem::remove_all(yx::paths::storeDir("ca"));
            std::filesystem::create_directories(yx::paths::dataDir() + "/stores");
            yxtest::writeFile(yx::paths::dataDir() + "/stores", "ca", std::string("not a folder"));
            CMyCertStore my;
            rc = my.ImportP12("", pfx.c_str(), "pw");
        } else {
            CMyCertStore my(std::make_shared<RefusingBackend>());
            rc = my.ImportP12("", pfx.c_str(), "pw");
        }
        EXPECT_NE(rc, 0);
        EXPECT_EQ(entries("my"), 0u);
        EXPECT_EQ(entries("other"), 0u);
        EXPECT_EQ(entries("ca"), caBefore);
    }
}
