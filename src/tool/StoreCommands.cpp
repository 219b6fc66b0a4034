// yaoxia-tool subcommands over the certificate stores and PFX files. They run the same store
// operations as the certificate pages and print the pages' own messages.
#include "CertStore.h"
#include "Commands.h"
#include "DigitalCertificate.h"
#include "PfxFile.h"
#include "Revocation.h"
#include "SafeFile.h"
#include "Settings.h"
#include "ToolArgs.h"
#include "UserPrompt.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>

namespace yx::tool {
namespace {

enum class StoreKind { My, Other, Ca };

std::optional<StoreKind> parseStore(const std::string& s) {
    if (s == "my")
        return StoreKind::My;
    if (s == "other")
        return StoreKind::Other;
    if (s == "ca")
        return StoreKind::Ca;
    return std::nullopt;
}

std::unique_ptr<CCertStore> makeStore(StoreKind kind) {
    switch (kind) {
    case StoreKind::My:
        return std::make_unique<CMyCertStore>();
    case StoreKind::Other:
        return std::make_unique<COtherCertStore>();
    case StoreKind::Ca:
        return std::make_unique<CCaCertStore>();
    }
    return nullptr;
}

// Full-width marks on the personal and CA pages, half-width on the other-people page.
std::string mark(StoreKind kind) {
    return kind == StoreKind::Other ? "!" : "！";
}

void say(const std::string& text, MsgIcon icon) {
    showMessage(text, icon);
}

// Opens the store and fetches the certificate at `indexText`; prints why when it cannot.
CDigitalCertificate* certAt(CCertStore& store, const std::string& indexText) {
    if (store.OpenCertStore() != 0) {
        std::fprintf(stderr, "yaoxia-tool: the certificate store cannot be opened\n");
        return nullptr;
    }
    auto index = parseIndex(indexText);
    if (!index || *index >= store.GetCertCount()) {
        std::fprintf(stderr, "yaoxia-tool: no certificate at index %s\n", indexText.c_str());
        return nullptr;
    }
    return store.getCert(*index);
}

// A command on one certificate: "STORE INDEX ..." with the store among `allowed`.
struct StoreSelection {
    ToolArgs args;
    StoreKind kind = StoreKind::My;
    std::unique_ptr<CCertStore> store;
    CDigitalCertificate* cert = nullptr;
    int index = -1;
};

// 0 when the store and certificate were found; otherwise the exit status to return.
int selectCertificate(int argc, char** argv, const char* usage, size_t positionals,
                      std::initializer_list<StoreKind> allowed, const std::set<std::string>& flags,
                      StoreSelection& sel) {
    if (!sel.args.parse(argc, argv, 1, flags) || sel.args.count() != positionals)
        return usageError(usage);
    auto kind = parseStore(sel.args.at(0));
    if (!kind || std::find(allowed.begin(), allowed.end(), *kind) == allowed.end())
        return usageError(usage);
    sel.kind = *kind;
    sel.store = makeStore(*kind);
    sel.cert = certAt(*sel.store, sel.args.at(1));
    if (!sel.cert)
        return 1;
    sel.index = *parseIndex(sel.args.at(1));
    return 0;
}

constexpr std::initializer_list<StoreKind> kAnyStore = {StoreKind::My, StoreKind::Other, StoreKind::Ca};
constexpr std::initializer_list<StoreKind> kDeletableStores = {StoreKind::My, StoreKind::Other};

bool endsWithNoCase(const std::string& s, const std::string& suffix) {
    if (s.size() < suffix.size())
        return false;
    for (size_t i = 0; i < suffix.size(); ++i) {
        char a = s[s.size() - suffix.size() + i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (a != suffix[i])
            return false;
    }
    return true;
}

} // namespace

int cmdList(int argc, char** argv) {
    ToolArgs args;
    if (!args.parse(argc, argv, 1, {"online"}) || args.count() != 1)
        return usageError("list my|other|ca [--online]");
    auto kind = parseStore(args.at(0));
    if (!kind)
        return usageError("list my|other|ca [--online]");
    auto store = makeStore(*kind);
    if (store->OpenCertStore() != 0) {
        std::fprintf(stderr, "yaoxia-tool: the certificate store cannot be opened\n");
        return 1;
    }
    const bool online = args.has("online") || settings::onlineCrlCheck();
    // One load: certificates sharing a CRL fetch it once.
    RevocationSession session;
    const int n = store->GetCertCount();
    for (int i = 0; i < n; ++i) {
        CDigitalCertificate* cert = store->getCert(i);
        std::string holder, issuer, validTo, friendly, status, thumb;
        cert->getDisplayName(holder);
        cert->getIssuerCN(issuer);
        cert->getValidToDate(validTo);
        cert->getFriendlyName(friendly);
        if (*kind != StoreKind::Ca)
            cert->CRLCheck(status, online);
        cert->getThumbPrint(thumb);
        std::printf("%d\t%s\t%s\t%s\t%s\t%s\t%s\n", i, holder.c_str(), issuer.c_str(), validTo.c_str(),
                    friendly.c_str(), status.c_str(), thumb.c_str());
    }
    std::fflush(stdout);
    return 0;
}

int cmdImportPfx(int argc, char** argv) {
    const char* usage = "import-pfx FILE [--csp NAME] [--password SRC]";
    ToolArgs args;
    if (!args.parse(argc, argv, 1, {}) || args.count() != 1)
        return usageError(usage);
    auto password = passwordOption(args, "password");
    if (!password)
        return 2;
    const std::string& path = args.at(0);
    if (path.empty()) {
        say("请选定一个文件！", MsgIcon::Error);
        return 1;
    }
    if (!fileExists(path)) {
        say("您所指定的文件不存在！", MsgIcon::Error);
        return 1;
    }
    const std::string csp = args.option("csp").value_or("Microsoft Enhanced Cryptographic Provider v1.0");
    CMyCertStore store;
    const int rc = store.ImportP12(csp.c_str(), path.c_str(), password->c_str());
    switch (rc) {
    case 0:
        say("导入成功！", MsgIcon::Information);
        break;
    case rc::kNotPfx:
        say("导入失败，文件格式错误！", MsgIcon::Error);
        break;
    case rc::kWrongPassword:
        say("导入失败，口令错误！", MsgIcon::Error);
        break;
    case rc::kLegacyUnavailable:
        say("导入失败！", MsgIcon::Error);
        std::fprintf(stderr, "%s\n", legacyProviderMessage());
        break;
    default:
        say("导入失败！", MsgIcon::Error);
    }
    return rc;
}

int cmdExportPfx(int argc, char** argv) {
    const char* usage = "export-pfx INDEX FILE [--password SRC]";
    ToolArgs args;
    if (!args.parse(argc, argv, 1, {}) || args.count() != 2)
        return usageError(usage);
    CMyCertStore store;
    if (!certAt(store, args.at(0)))
        return 1;
    auto password = passwordOption(args, "password");
    if (!password)
        return 2;
    std::string path = args.at(1);
    if (path.empty()) {
        say("文件名不能为空！", MsgIcon::Warning);
        return 1;
    }
    if (!endsWithNoCase(path, ".pfx"))
        path += ".pfx";
    const int rc = store.ExportP12(*parseIndex(args.at(0)), path.c_str(), password->c_str());
    say(rc == 0 ? "导出证书成功！" : "导出失败！", rc == 0 ? MsgIcon::Information : MsgIcon::Error);
    return rc;
}

int cmdImportCert(int argc, char** argv) {
    const char* usage = "import-cert other|ca FILE";
    ToolArgs args;
    if (!args.parse(argc, argv, 1, {}) || args.count() != 2)
        return usageError(usage);
    auto kind = parseStore(args.at(0));
    if (!kind || *kind == StoreKind::My)
        return usageError(usage);
    const std::string& path = args.at(1);
    const std::string m = mark(*kind);
    if (path.empty()) {
        say("文件名不能为空" + m, MsgIcon::Warning);
        return 1;
    }
    if (!fileExists(path)) {
        say("您所要导入的证书路径错误" + m, MsgIcon::Error);
        return 1;
    }
    int rc = 0;
    if (*kind == StoreKind::Other) {
        COtherCertStore store;
        rc = store.ImportCert(path.c_str());
    } else {
        CCaCertStore store;
        rc = store.ImportCert(path.c_str());
    }
    if (rc == 0)
        say("导入证书成功" + m, MsgIcon::Information);
    else if (rc == rc::kNotCertFile)
        say("导入失败，文件格式错误" + m, MsgIcon::Error);
    else
        say("导入失败" + m, MsgIcon::Error);
    return rc;
}

int cmdExportCert(int argc, char** argv) {
    StoreSelection sel;
    if (int rc = selectCertificate(argc, argv, "export-cert my|other|ca INDEX FILE", 3, kAnyStore, {}, sel))
        return rc;
    std::string path = sel.args.at(2);
    // The certificate export messages end in the half-width mark on every page.
    const std::string m = "!";
    if (path.empty()) {
        say("文件名不能为空！", MsgIcon::Warning);
        return 1;
    }
    if (!endsWithNoCase(path, ".cer"))
        path += ".cer";
    const int rc = sel.cert->ExportDerFile(path.c_str());
    say(rc == 0 ? "导出证书成功" + m : "导出失败" + m, rc == 0 ? MsgIcon::Information : MsgIcon::Error);
    return rc;
}

int cmdRemove(int argc, char** argv) {
    StoreSelection sel;
    if (int rc = selectCertificate(argc, argv, "remove my|other INDEX", 2, kDeletableStores, {}, sel))
        return rc;
    return sel.store->Remove(sel.index) ? 0 : 1;
}

int cmdRename(int argc, char** argv) {
    StoreSelection sel;
    if (int rc = selectCertificate(argc, argv, "rename my|other|ca INDEX NAME", 3, kAnyStore, {}, sel))
        return rc;
    std::string name = sel.args.at(2);
    return sel.cert->setFriendlyName(name);
}

int cmdCrlCheck(int argc, char** argv) {
    StoreSelection sel;
    if (int rc =
            selectCertificate(argc, argv, "crl-check my|other INDEX", 2, kDeletableStores, {"online"}, sel))
        return rc;
    CDigitalCertificate* cert = sel.cert;
    // The page's CRL check command always goes online.
    std::string status;
    const int rc = cert->CRLCheck(status, true);
    std::printf("%s\n", status.c_str());
    std::fflush(stdout);
    return rc;
}

int cmdPfxPasswd(int argc, char** argv) {
    const char* usage = "pfx-passwd SOURCE TARGET [--password SRC] [--new-password SRC]";
    ToolArgs args;
    if (!args.parse(argc, argv, 1, {}) || args.count() != 2)
        return usageError(usage);
    const std::string& source = args.at(0);
    const std::string& target = args.at(1);
    if (source.empty() || target.empty()) {
        say("文件名不能为空！", MsgIcon::Error);
        return 1;
    }
    if (!fileExists(source)) {
        say("您所要更改的源文件不存在！", MsgIcon::Error);
        return 1;
    }
    auto oldPw = passwordOption(args, "password");
    if (!oldPw)
        return 2;
    auto newPw = passwordOption(args, "new-password");
    if (!newPw)
        return 2;
    const int rc =
        CPFXFile::UpdateP12FilePasswd(source.c_str(), oldPw->c_str(), target.c_str(), newPw->c_str());
    switch (rc) {
    case 0:
        say("修改备份密码成功！", MsgIcon::Information);
        break;
    case rc::kNotPfx:
        say("备份失败，文件格式错误！", MsgIcon::Error);
        break;
    case rc::kWrongPassword:
        say("备份失败，源文件口令错误！", MsgIcon::Error);
        break;
    case rc::kTargetCreate:
        say("备份失败，生成目标文件错误！", MsgIcon::Error);
        break;
    default:
        say("备份失败！", MsgIcon::Error);
    }
    return rc;
}

int cmdSettings(int argc, char** argv) {
    const char* usage = "settings get SECTION ENTRY | settings set SECTION ENTRY VALUE";
    ToolArgs args;
    if (!args.parse(argc, argv, 1, {}) || args.count() < 3)
        return usageError(usage);
    if (args.at(0) == "get" && args.count() == 3) {
        std::printf("%s\n", settings::GetProfileString(args.at(1), args.at(2), "").c_str());
        std::fflush(stdout);
        return 0;
    }
    if (args.at(0) == "set" && args.count() == 4)
        return settings::WriteProfileString(args.at(1), args.at(2), args.at(3)) ? 0 : 1;
    return usageError(usage);
}

} // namespace yx::tool
