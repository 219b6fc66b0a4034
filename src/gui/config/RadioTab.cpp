#include "RadioTab.h"

#include "dialogs/DialogKit.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

using yx::dlgkit::withId;

CRadioTab::CRadioTab(int dialogId, int firstId, const QString& firstText, int secondId,
                     const QString& secondText, QWidget* parent)
    : QWidget(parent) {
    setObjectName(QString::number(dialogId));
    m_first = withId(new QRadioButton(firstText, this), firstId);
    m_second = withId(new QRadioButton(secondText, this), secondId);
    auto* group = new QButtonGroup(this);
    group->addButton(m_first, 0);
    group->addButton(m_second, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_first);
    layout->addWidget(m_second);
    layout->addStretch(1);
    setFocusProxy(m_first);
}

void CRadioTab::setRadioIndex(int index) {
    m_index = index;
    if (index == 0)
        m_first->setChecked(true);
    else if (index == 1)
        m_second->setChecked(true);
    setFocusProxy(index == 1 ? m_second : m_first);
}

void CRadioTab::readControls() {
    m_index = m_first->isChecked() ? 0 : m_second->isChecked() ? 1 : -1;
}
