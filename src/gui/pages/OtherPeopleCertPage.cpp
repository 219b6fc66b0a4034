#include "OtherPeopleCertPage.h"

#include "CertStore.h"
#include "ResourceIds.h"
#include "directory/DlgLdapSearch.h"

namespace yx {

namespace {

const CertListPage::Traits kTraits = {
    kPageOtherPeople,           res::IDD_OTHER_PEOPLE_PAGE,
    /*statusColumn=*/true,
    /*canDelete=*/true,
    /*emptyBeforeOpen=*/false,  res::IDR_CERT_ROW,
    /*rowOpsWithoutPos4=*/true, res::IDR_OTHER_SPACE,
};

// This page checks the path the import dialog accepted once more.
const CertListPage::CertFileTexts kTexts = {
    .exported = "导出证书成功!",
    .exportFailed = "导出失败!",
    .imported = "导入证书成功!",
    .importBadFormat = "导入失败，文件格式错误!",
    .importFailed = "导入失败!",
    .importNoPath = "文件名不能为空!",
    .importBadPath = "您所要导入的证书路径错误!",
};

} // namespace

OtherPeopleCertPage::OtherPeopleCertPage(QWidget* parent)
    : CertListPage(kTraits, std::make_unique<COtherCertStore>(), parent) {}

void OtherPeopleCertPage::exportSelected(CDigitalCertificate& cert) {
    exportCertFile(cert, kTexts);
}

void OtherPeopleCertPage::importFromFile(const QString& prefilled) {
    importCertFile(prefilled, kTexts, [](const char* file) { return COtherCertStore().ImportCert(file); });
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
