#include "PersonalCertPage.h"

#include "CertStore.h"
#include "PfxFile.h"
#include "ResourceIds.h"
#include "certfiles/DlgExportPfx.h"
#include "certfiles/DlgImportPfx.h"
#include "dialogs/DialogKit.h"

namespace yx {

namespace {

const CertListPage::Traits kTraits = {
    kPagePersonal,
    res::IDD_PERSONAL_PAGE,
    /*statusColumn=*/true,
    /*canDelete=*/true,
    /*emptyBeforeOpen=*/true,
    res::IDR_CERT_ROW,
    /*rowOpsWithoutPos4=*/true,
    res::IDR_CERT_SPACE,
};

} // namespace

PersonalCertPage::PersonalCertPage(QWidget* parent)
    : CertListPage(kTraits, std::make_unique<CMyCertStore>(), parent) {}

void PersonalCertPage::exportSelected(CDigitalCertificate&) {
    CDlgExportPfx dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString path = withExtension(dialog.path(), QStringLiteral(".pfx"));
    auto& personal = static_cast<CMyCertStore&>(store());
    const int rc =
        personal.ExportP12(selected(), dlgkit::utf8(path).c_str(), dlgkit::utf8(dialog.password()).c_str());
    if (rc == 0)
        say("导出证书成功！", MsgIcon::Information);
    else
        say("导出失败！", MsgIcon::Error);
}

void PersonalCertPage::importFromFile(const QString& prefilled) {
    CDlgImportPfx dialog(this);
    prefillPath(&dialog, res::IDC_PFX_IMPORT_PATH, prefilled);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString path = dialog.path();
    if (path.isEmpty()) {
        say("请选定一个文件！", MsgIcon::Error);
        return;
    }
    if (!dlgkit::pathExists(path)) {
        say("您所指定的文件不存在！", MsgIcon::Error);
        return;
    }
    CMyCertStore target; // a store object of its own; the page's store is re-read below
    const int rc = target.ImportP12(dlgkit::utf8(dialog.provider()).c_str(), dlgkit::utf8(path).c_str(),
                                    dlgkit::utf8(dialog.password()).c_str());
    switch (rc) {
    case 0:
        say("导入成功！", MsgIcon::Information);
        break;
    case 6:
        say("导入失败，文件格式错误！", MsgIcon::Error);
        break;
    case 7:
        say("导入失败，口令错误！", MsgIcon::Error);
        break;
    default:
        say("导入失败！", MsgIcon::Error);
        // An old PFX on a machine without OpenSSL's legacy module: say why, so the user can act.
        if (rc == yx::rc::kLegacyUnavailable)
            say(yx::legacyProviderMessage(), MsgIcon::Error);
        break;
    }
    loadList();
}

} // namespace yx
