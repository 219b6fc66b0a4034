#include "DlgEnterPassword.h"

#include "EncDialogIds.h"
#include "dialogs/DialogKit.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace yx;
using namespace yx::dlgkit;

CDlgEnterPassword::CDlgEnterPassword(QWidget* parent) : QDialog(parent) {
    setObjectName(QString::number(res::IDD_ENTER_PASSWORD));
    setWindowTitle(QStringLiteral("输入密码"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* label = new QLabel(QStringLiteral("该文件设置了保护密码，请输入密码(&P)："), this);
    m_password = withId(new QLineEdit(this), res::IDC_ENTER_PASSWORD);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setAttribute(Qt::WA_InputMethodEnabled, false);
    label->setBuddy(m_password);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_password);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(okCancelButtons(this, QStringLiteral("确定")));
    m_password->setFocus();
    fitDialog(this, 20);
}

QString CDlgEnterPassword::password() const {
    return m_password->text();
}

void CDlgEnterPassword::accept() {
    if (m_password->text().isEmpty()) {
        say(this, "请输入密码！", MsgIcon::Warning);
        m_password->setFocus();
        return;
    }
    QDialog::accept();
}
