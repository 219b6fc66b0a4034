#include "DlgImportPfx.h"

#include "dialogs/DialogKit.h"

#include <QComboBox>

using namespace yx::dlgkit;
namespace res = yx::res;

CDlgImportPfx::CDlgImportPfx(QWidget* parent)
    : PfxFileDialog(IDD, QStringLiteral("导入证书"), /*save=*/false, res::IDC_PFX_IMPORT_PATH,
                    res::IDC_PFX_IMPORT_PASSWORD, parent),
      m_provider(QString::fromUtf8(kDefaultProvider)) {
    m_providerList = withId(new QComboBox(this), res::IDC_PFX_IMPORT_PROVIDER);
    // Sorted, as the list always was: the empty entry (no provider named) comes first.
    m_providerList->addItem(QString());
    m_providerList->addItem(QString::fromUtf8(kDefaultProvider));
    finishLayout(QStringLiteral("请选择要导入的个人证书文件（.PFX）："), QStringLiteral("保护口令："),
                 QStringLiteral("选择导入设备："), m_providerList);
}

void CDlgImportPfx::takeOverThird() {
    m_provider = m_providerList->currentText();
}

void CDlgImportPfx::refreshThird() {
    m_providerList->setCurrentIndex(m_providerList->findText(m_provider));
}

void CDlgImportPfx::accept() {
    takeOver();
    QDialog::accept();
}
