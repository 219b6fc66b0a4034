#include "OtherPeopleCertPage.h"

#include "CertStore.h"
#include "ResourceIds.h"
#include "dialogs/CertDialogKit.h"
#include "dialogs/DlgExportCert.h"
#include "dialogs/DlgImportCert.h"
#include "dialogs/DlgLdapSearch.h"

namespace yx {

namespace {

const CertListPage::Traits kTraits = {
    kPageOtherPeople,           res::IDD_OTHER_PEOPLE_PAGE,
    /*statusColumn=*/true,
    /*canDelete=*/true,
    /*emptyBeforeOpen=*/false,  res::IDR_CERT_ROW,
    /*rowOpsWithoutPos4=*/true, res::IDR_OTHER_SPACE,
};

} // namespace

OtherPeopleCertPage::OtherPeopleCertPage(QWidget* parent)
    : CertListPage(kTraits, std::make_unique<COtherCertStore>(), parent) {}

void OtherPeopleCertPage::exportSelected(CDigitalCertificate& cert) {
    CDlgExportCert dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString path = withExtension(dialog.path(), QStringLiteral(".cer"));
    if (cert.ExportDerFile(certdlg::utf8(path).c_str()) == 0)
        say("导出证书成功!", MsgIcon::Information);
    else
        say("导出失败!", MsgIcon::Error);
}

void OtherPeopleCertPage::importFromFile(const QString& prefilled) {
    CDlgImportCert dialog(this);
    prefillPath(&dialog, res::IDC_CERTDLG_PATH, prefilled);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString path = dialog.path();
    if (path.isEmpty()) {
        say("文件名不能为空!", MsgIcon::Warning);
        return;
    }
    if (!certdlg::pathExists(path)) {
        say("您所要导入的证书路径错误!", MsgIcon::Error);
        return;
    }
    COtherCertStore target;
    const int rc = target.ImportCert(certdlg::utf8(path).c_str());
    if (rc == 0)
        say("导入证书成功!", MsgIcon::Information);
    else if (rc == 8)
        say("导入失败，文件格式错误!", MsgIcon::Error);
    else
        say("导入失败!", MsgIcon::Error);
    loadList();
}

bool OtherPeopleCertPage::onPageCommand(int id) {
    if (id != res::ID_CERT_IMPORT_LDAP)
        return false;
    importFromDirectory();
    return true;
}

void OtherPeopleCertPage::importFromDirectory() {
    CDlgLdapSearch dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    CDigitalCertificate* found = dialog.GetSelectedCert(); // the dialog's; used while it exists
    if (!found)
        return;
    COtherCertStore target;
    if (target.ImportCert(found) == 0) {
        say("导入证书成功！", MsgIcon::Information);
        loadList();
    } else {
        say("从LDAP导入证书失败！", MsgIcon::Error); // the list stays as it is
    }
}

} // namespace yx
