#include "DlgFriendlyName.h"

#include "DialogKit.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace yx::dlgkit;
namespace res = yx::res;

CDlgFriendlyName::CDlgFriendlyName(const QString& name, QWidget* parent) : QDialog(parent), m_name(name) {
    setObjectName(QString::number(IDD));
    setWindowTitle(QStringLiteral("证书属性"));

    m_nameEdit = withId(new QLineEdit(m_name, this), res::IDC_FRIENDLY_NAME);
    auto* label = new QLabel(QStringLiteral("好记的名字"), this);
    label->setBuddy(m_nameEdit);

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_nameEdit, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(okCancelButtons(this));

    m_nameEdit->selectAll();
    fitDialog(this, 24);
}

void CDlgFriendlyName::accept() {
    m_name = m_nameEdit->text();
    QDialog::accept();
}
