#include "RaSiteTab.h"

#include "ConfigDialogIds.h"
#include "RaSiteDialog.h"
#include "dialogs/DialogKit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

using namespace yx;
using namespace yx::dlgkit;

CRaSiteTab::CRaSiteTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QString::number(res::IDD_RA_SITE_TAB));
    auto* label = new QLabel(QStringLiteral("缺省的证书注册服务中心站点"), this);
    m_combo = withId(new QComboBox(this), res::IDC_RA_SITE_LIST);
    m_combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_combo->setMinimumContentsLength(24);
    label->setBuddy(m_combo);
    QPushButton* add = sideButton(this, res::IDC_RA_SITE_ADD, QStringLiteral("添加..."));
    QPushButton* modify = sideButton(this, res::IDC_RA_SITE_MODIFY, QStringLiteral("修改..."));

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0, 1, 3);
    grid->addWidget(m_combo, 1, 0, 1, 3);
    grid->addWidget(add, 2, 1);
    grid->addWidget(modify, 2, 2);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(3, 1);
    setFocusProxy(m_combo);
    setTabOrder(m_combo, add);
    setTabOrder(add, modify);

    connect(add, &QPushButton::clicked, this, &CRaSiteTab::addSite);
    connect(modify, &QPushButton::clicked, this, &CRaSiteTab::modifySite);
    fillCombo();
}

// The combo shows every site's name in list order with the stored default selected, also
// after an add or a change: the default changes only by the user's own pick.
void CRaSiteTab::fillCombo() {
    m_combo->clear();
    int selection = -1;
    for (int i = 0; i < m_sites.GetCount(); ++i) {
        m_combo->addItem(qstr(m_sites.GetDescription(i)));
        if (selection < 0 && m_sites.GetKey(i) == m_sites.GetDefaultKey())
            selection = i;
    }
    m_combo->setCurrentIndex(selection);
    readControls();
}

void CRaSiteTab::readControls() {
    m_selected = m_combo->currentIndex();
}

std::string CRaSiteTab::defaultKeyToWrite() const {
    if (m_selected >= 0 && m_selected < m_sites.GetCount())
        return m_sites.GetKey(m_selected);
    return m_sites.GetDefaultKey();
}

void CRaSiteTab::addSite() {
    CRaSiteDialog dialog(QStringLiteral("添加定制的RA网站"), QString(), QString(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString name = dialog.name().isEmpty() ? dialog.url() : dialog.name();
    m_sites.Add(utf8(dialog.url()), utf8(name));
    fillCombo();
}

void CRaSiteTab::modifySite() {
    readControls();
    const int index = m_selected;
    if (index < 0 || index >= m_sites.GetCount()) {
        say(this, "请先选择要修改的RA站点。", MsgIcon::Information);
        return;
    }
    const QString description = qstr(m_sites.GetDescription(index));
    CRaSiteDialog dialog(QStringLiteral("编辑") + description, qstr(m_sites.GetURL(index)), description,
                         this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString name = dialog.name().isEmpty() ? dialog.url() : dialog.name();
    m_sites.Modify(index, utf8(dialog.url()), utf8(name));
    fillCombo();
}
