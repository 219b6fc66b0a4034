#include "CaCertPage.h"

#include "CertStore.h"
#include "ResourceIds.h"
#include "dialogs/CertDialogKit.h"
#include "dialogs/DlgExportCert.h"
#include "dialogs/DlgImportCert.h"

namespace yx {

namespace {

const CertListPage::Traits kTraits = {
    kPageCa,
    res::IDD_CA_PAGE,
    /*statusColumn=*/false,
    /*canDelete=*/false,
    /*emptyBeforeOpen=*/false,
    res::IDR_CA_ROW,
    /*rowOpsWithoutPos4=*/false,
    res::IDR_CERT_SPACE,
};

} // namespace

CaCertPage::CaCertPage(QWidget* parent) : CertListPage(kTraits, std::make_unique<CCaCertStore>(), parent) {}

void CaCertPage::exportSelected(CDigitalCertificate& cert) {
    CDlgExportCert dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString path = withExtension(dialog.path(), QStringLiteral(".cer"));
    if (cert.ExportDerFile(certdlg::utf8(path).c_str()) == 0)
        say("导出证书成功!", MsgIcon::Information);
    else
        say("导出失败!", MsgIcon::Error);
}

void CaCertPage::importFromFile(const QString& prefilled) {
    CDlgImportCert dialog(this);
    prefillPath(&dialog, res::IDC_CERTDLG_PATH, prefilled);
    if (dialog.exec() != QDialog::Accepted)
        return;
    CCaCertStore target; // the dialog has checked the path
    const int rc = target.ImportCert(certdlg::utf8(dialog.path()).c_str());
    if (rc == 0)
        say("导入证书成功！", MsgIcon::Information);
    else if (rc == 8)
        say("导入失败，文件格式错误！", MsgIcon::Error);
    else
        say("导入失败！", MsgIcon::Error);
    loadList();
}

} // namespace yx
