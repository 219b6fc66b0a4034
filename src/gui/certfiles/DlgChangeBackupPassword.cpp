#include "DlgChangeBackupPassword.h"

#include "PfxFile.h"
#include "dialogs/DialogKit.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace yx::dlgkit;
namespace res = yx::res;

namespace {

constexpr const char* kPfxFilter = "PFX Files (*.pfx)|*.pfx||";

// One labelled row of a group: label, field and (for paths) the chooser button.
void addRow(QGridLayout* grid, int row, const QString& text, QLineEdit* edit, QPushButton* button = nullptr) {
    auto* label = new QLabel(text, edit->parentWidget());
    label->setBuddy(edit);
    grid->addWidget(label, row, 0);
    if (button) {
        grid->addWidget(edit, row, 1);
        grid->addWidget(button, row, 2);
    } else {
        grid->addWidget(edit, row, 1, 1, 2);
    }
}

} // namespace

CDlgChangeBackupPassword::CDlgChangeBackupPassword(QWidget* parent) : QDialog(parent) {
    setObjectName(QString::number(IDD));
    setWindowTitle(QStringLiteral("修改证书备份密码"));

    auto* sourceGroup = new QGroupBox(QStringLiteral("源文件"), this);
    m_sourcePathEdit = pathEdit(sourceGroup, res::IDC_BACKUP_SOURCE_PATH);
    QPushButton* sourceBrowse =
        browseButton(sourceGroup, res::IDC_BACKUP_SOURCE_BROWSE, QStringLiteral("选择..."));
    m_sourcePasswordEdit = passwordEdit(sourceGroup, res::IDC_BACKUP_SOURCE_PASSWORD);
    auto* sourceGrid = new QGridLayout(sourceGroup);
    addRow(sourceGrid, 0, QStringLiteral("源文件"), m_sourcePathEdit, sourceBrowse);
    addRow(sourceGrid, 1, QStringLiteral("源文件密码"), m_sourcePasswordEdit);
    sourceGrid->setColumnStretch(1, 1);

    // The group's title ends in an ideographic space.
    auto* targetGroup = new QGroupBox(QStringLiteral("目标文件\u3000"), this);
    m_targetPathEdit = pathEdit(targetGroup, res::IDC_BACKUP_TARGET_PATH);
    QPushButton* targetBrowse =
        browseButton(targetGroup, res::IDC_BACKUP_TARGET_BROWSE, QStringLiteral("选择..."));
    m_newPasswordEdit = passwordEdit(targetGroup, res::IDC_BACKUP_NEW_PASSWORD);
    m_confirmEdit = passwordEdit(targetGroup, res::IDC_BACKUP_NEW_CONFIRM);
    auto* targetGrid = new QGridLayout(targetGroup);
    addRow(targetGrid, 0, QStringLiteral("目标文件"), m_targetPathEdit, targetBrowse);
    addRow(targetGrid, 1, QStringLiteral("新密码"), m_newPasswordEdit);
    addRow(targetGrid, 2, QStringLiteral("新密码确认"), m_confirmEdit);
    targetGrid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sourceGroup);
    layout->addWidget(targetGroup);
    layout->addWidget(okCancelButtons(this));

    connect(sourceBrowse, &QPushButton::clicked, this, &CDlgChangeBackupPassword::chooseSource);
    connect(targetBrowse, &QPushButton::clicked, this, &CDlgChangeBackupPassword::chooseTarget);
    setTabOrder(m_sourcePathEdit, sourceBrowse);
    setTabOrder(sourceBrowse, m_sourcePasswordEdit);
    setTabOrder(m_sourcePasswordEdit, m_targetPathEdit);
    setTabOrder(m_targetPathEdit, targetBrowse);
    setTabOrder(targetBrowse, m_newPasswordEdit);
    setTabOrder(m_newPasswordEdit, m_confirmEdit);

    fitDialog(this, 26);
}

void CDlgChangeBackupPassword::takeOver() {
    m_sourcePath = m_sourcePathEdit->text();
    m_sourcePassword = m_sourcePasswordEdit->text();
    m_targetPath = m_targetPathEdit->text();
    m_newPassword = m_newPasswordEdit->text();
    m_confirm = m_confirmEdit->text();
}

void CDlgChangeBackupPassword::refresh() {
    m_sourcePathEdit->setText(m_sourcePath);
    m_sourcePasswordEdit->setText(m_sourcePassword);
    m_targetPathEdit->setText(m_targetPath);
    m_newPasswordEdit->setText(m_newPassword);
    m_confirmEdit->setText(m_confirm);
}

// Both choosers take over what was typed first, so passwords survive the choice.
void CDlgChangeBackupPassword::chooseSource() {
    takeOver();
    if (const std::optional<QString> chosen = choosePath(this, false, "pfx", kPfxFilter)) {
        m_sourcePath = *chosen;
        refresh();
    }
}

void CDlgChangeBackupPassword::chooseTarget() {
    takeOver();
    if (const std::optional<QString> chosen = choosePath(this, true, "pfx", kPfxFilter)) {
        m_targetPath = *chosen;
        refresh();
    }
}

void CDlgChangeBackupPassword::accept() {
    takeOver();
    if (m_sourcePath.isEmpty() || m_targetPath.isEmpty()) {
        say(this, "文件名不能为空！", yx::MsgIcon::Error);
        return;
    }
    if (!pathExists(m_sourcePath)) {
        say(this, "您所要更改的源文件不存在！", yx::MsgIcon::Error);
        return;
    }
    if (m_newPassword != m_confirm) {
        say(this, "新密码和确认密码不一致!", yx::MsgIcon::Error);
        return;
    }
    if (pathExists(m_targetPath) && !confirmOverwrite(this))
        return;

    const int rc = CPFXFile::UpdateP12FilePasswd(utf8(m_sourcePath).c_str(), utf8(m_sourcePassword).c_str(),
                                                 utf8(m_targetPath).c_str(), utf8(m_newPassword).c_str());
    switch (rc) {
    case 0:
        say(this, "修改备份密码成功！", yx::MsgIcon::Information);
        QDialog::accept();
        return;
    case 6:
        say(this, "备份失败，文件格式错误！", yx::MsgIcon::Error);
        return;
    case 7:
        say(this, "备份失败，源文件口令错误！", yx::MsgIcon::Error);
        return;
    case 13:
        say(this, "备份失败，生成目标文件错误！", yx::MsgIcon::Error);
        return;
    default:
        say(this, "备份失败！", yx::MsgIcon::Error);
        if (rc == yx::rc::kLegacyUnavailable)
            say(this, yx::legacyProviderMessage(), yx::MsgIcon::Error);
        return;
    }
}
