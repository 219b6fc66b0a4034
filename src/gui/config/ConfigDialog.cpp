#include "ConfigDialog.h"

#include "ConfigDialogIds.h"
#include "CrlTab.h"
#include "EncCertTab.h"
#include "RaSiteTab.h"
#include "Settings.h"
#include "UpdateTab.h"
#include "dialogs/DialogKit.h"

#include <QTabWidget>
#include <QVBoxLayout>

using namespace yx;
using namespace yx::dlgkit;

CConfigDialog::CConfigDialog(int initialTab, QWidget* parent) : QDialog(parent), m_initialTab(initialTab) {
    setObjectName(QString::number(res::IDD_CONFIG));
    setWindowTitle(QStringLiteral("配置管理"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_tabs = withId(new QTabWidget(this), res::IDC_CONFIG_TABS);
    m_update = new CUpdateTab(m_tabs);
    m_crl = new CCrlTab(m_tabs);
    m_ra = new CRaSiteTab(m_tabs);
    m_enc = new CEncCertTab(m_tabs);
    m_tabs->addTab(m_update, QStringLiteral("更新设置"));
    m_tabs->addTab(m_crl, QStringLiteral("CRL检查设置"));
    m_tabs->addTab(m_ra, QStringLiteral("RA站点设置"));
    m_tabs->addTab(m_enc, QStringLiteral("设置默认加密证书"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(okCancelButtons(this, QStringLiteral("确定")));

    const bool validTab = initialTab >= 0 && initialTab < m_tabs->count();
    m_tabs->setCurrentIndex(validTab ? initialTab : 0);
    fitDialog(this, 30);
    resize(width(), std::max(height(), fontMetrics().height() * 14));

    // A tab chosen by the user shows its page and gives it the focus.
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (QWidget* page = m_tabs->widget(index)) {
            page->show();
            page->setFocus(Qt::TabFocusReason);
        }
    });
}

void CConfigDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    QWidget* page = m_tabs->currentWidget();
    if (m_initialTab < 0 || m_initialTab >= m_tabs->count()) {
        page->hide(); // opened on no tab: the tab control stays empty until a tab is chosen
        return;
    }
    page->setFocus(Qt::OtherFocusReason);
}

bool CConfigDialog::writeSettings() {
    m_update->readControls();
    m_crl->readControls();
    m_ra->readControls();
    if (!settings::WriteProfileString("UpdateConfig", "StartUpCheckNew", m_update->settingText()))
        return false;
    if (!settings::WriteProfileString("Common", "SartOnlineCRLCheck", m_crl->settingText()))
        return false;
    m_ra->sites().Save();
    if (!settings::WriteProfileString("ServiceURL", "Default", m_ra->defaultKeyToWrite()))
        return false;
    return m_enc->WriteSetting();
}

void CConfigDialog::accept() {
    if (!writeSettings()) {
        say(this, "配置保存失败，请检查钥匣的数据文件夹是否可以写入。", MsgIcon::Error);
        return;
    }
    QDialog::accept();
}

namespace yx {

int RunConfigDialog(int initialTab, QWidget* parent) {
    CConfigDialog dialog(initialTab, parent);
    return dialog.exec();
}

} // namespace yx
