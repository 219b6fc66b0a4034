#include "CaCertPage.h"

#include "CertStore.h"
#include "ResourceIds.h"

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

// The export messages end in the half-width mark, the import messages in the full-width one.
const CertListPage::CertFileTexts kTexts = {
    .exported = "导出证书成功!",
    .exportFailed = "导出失败!",
    .imported = "导入证书成功！",
    .importBadFormat = "导入失败，文件格式错误！",
    .importFailed = "导入失败！",
};

} // namespace

CaCertPage::CaCertPage(QWidget* parent) : CertListPage(kTraits, std::make_unique<CCaCertStore>(), parent) {}

void CaCertPage::exportSelected(CDigitalCertificate& cert) {
    exportCertFile(cert, kTexts);
}

void CaCertPage::importFromFile(const QString& prefilled) {
    // The dialog has checked the path.
    importCertFile(prefilled, kTexts, [](const char* file) { return CCaCertStore().ImportCert(file); });
}

} // namespace yx
