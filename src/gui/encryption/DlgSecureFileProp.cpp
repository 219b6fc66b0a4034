#include "DlgSecureFileProp.h"

#include "EncDialogIds.h"
#include "SecureFileInfo.h"
#include "dialogs/DialogKit.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace yx;
using namespace yx::dlgkit;

CDlgSecureFileProp::CDlgSecureFileProp(const QString& path, QWidget* parent)
    : QDialog(parent), m_path(presetPath(path)) {
    setObjectName(QString::number(res::IDD_SECURE_FILE_PROP));
    setWindowTitle(QStringLiteral("安全文件属性"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    const kvx::SecureFileProperties props = kvx::secureFileProperties(utf8(m_path));
    auto value = [this](int id, const std::string& text) {
        auto* label = withId(new QLabel(qstr(text), this), id);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("安全文件类型："), value(res::IDC_PROP_FILE_TYPE, props.fileType));
    form->addRow(QStringLiteral("原始文件类型："), value(res::IDC_PROP_EXTENSION, props.extension));
    form->addRow(QStringLiteral("原始文件大小："), value(res::IDC_PROP_SIZE, props.size));
    form->addRow(QStringLiteral("密码保护设置："), value(res::IDC_PROP_PROTECTION, props.protection));
    form->addRow(QStringLiteral("加密算法："), value(res::IDC_PROP_ALGORITHM, props.algorithm));
    auto* recipients = withId(new QListWidget(this), res::IDC_PROP_RECIPIENTS);
    for (const std::string& name : props.recipients)
        recipients->addItem(qstr(name));
    recipients->setMinimumHeight(fontMetrics().height() * 6);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok =
        withId(buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole), res::IDOK);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("加密者证书信息："), this));
    layout->addWidget(recipients, 1);
    layout->addWidget(buttons);
    ok->setFocus();
    fitDialog(this, 24);
}
