#include "DlgProtectPassword.h"

#include "EncDialogIds.h"
#include "dialogs/DialogKit.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace yx;
using namespace yx::dlgkit;

CDlgProtectPassword::CDlgProtectPassword(QWidget* parent) : QDialog(parent) {
    setObjectName(QString::number(res::IDD_PROTECT_PASSWORD));
    setWindowTitle(QStringLiteral("设置保护密码"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_password = withId(new QLineEdit(this), res::IDC_PROTECT_PASSWORD);
    m_confirm = withId(new QLineEdit(this), res::IDC_PROTECT_CONFIRM);
    for (QLineEdit* edit : {m_password, m_confirm}) {
        edit->setEchoMode(QLineEdit::Password);
        edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    }
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("输入密码："), m_password);
    form->addRow(QStringLiteral("确认密码："), m_confirm);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(okCancelButtons(this, QStringLiteral("确定")));
    setTabOrder(m_password, m_confirm);
    m_password->setFocus();
    fitDialog(this, 20);
}

QString CDlgProtectPassword::password() const {
    return m_password->text();
}

void CDlgProtectPassword::accept() {
    if (m_password->text().isEmpty()) {
        say(this, "请输入密码！", MsgIcon::Warning);
        m_password->setFocus();
        return;
    }
    // Byte comparison of what was typed.
    if (utf8(m_password->text()) != utf8(m_confirm->text())) {
        say(this, "输入密码不一致，请重新输入！", MsgIcon::Warning);
        m_confirm->setFocus();
        m_confirm->selectAll();
        return;
    }
    QDialog::accept();
}
