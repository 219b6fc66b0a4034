#include "PfxFileDialog.h"

#include "dialogs/DialogIds.h"
#include "dialogs/DialogKit.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace yx::dlgkit;
namespace res = yx::res;

PfxFileDialog::PfxFileDialog(int dialogId, const QString& title, bool save, int pathId, int passwordId,
                             QWidget* parent)
    : QDialog(parent), m_save(save) {
    setObjectName(QString::number(dialogId));
    setWindowTitle(title);

    m_pathEdit = pathEdit(this, pathId);
    m_browse = browseButton(this, res::IDC_CERTDLG_BROWSE);
    m_passwordEdit = passwordEdit(this, passwordId);
    connect(m_browse, &QPushButton::clicked, this, &PfxFileDialog::onBrowse);
}

void PfxFileDialog::finishLayout(const QString& pathLabel, const QString& passwordLabel,
                                 const QString& thirdLabel, QWidget* third) {
    auto* pathCaption = new QLabel(pathLabel, this);
    pathCaption->setBuddy(m_pathEdit);
    auto* passwordCaption = new QLabel(passwordLabel, this);
    passwordCaption->setBuddy(m_passwordEdit);
    auto* thirdCaption = new QLabel(thirdLabel, this);
    thirdCaption->setBuddy(third);

    auto* grid = new QGridLayout;
    grid->addWidget(pathCaption, 0, 0, 1, 3);
    grid->addWidget(m_pathEdit, 1, 0, 1, 2);
    grid->addWidget(m_browse, 1, 2);
    grid->addWidget(passwordCaption, 2, 0);
    grid->addWidget(m_passwordEdit, 2, 1, 1, 2);
    grid->addWidget(thirdCaption, 3, 0);
    grid->addWidget(third, 3, 1, 1, 2);
    grid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(okCancelButtons(this));

    setTabOrder(m_pathEdit, m_browse);
    setTabOrder(m_browse, m_passwordEdit);
    setTabOrder(m_passwordEdit, third);

    refresh();
    fitDialog(this, 26);
}

void PfxFileDialog::takeOver() {
    m_path = m_pathEdit->text();
    m_password = m_passwordEdit->text();
    takeOverThird();
}

void PfxFileDialog::refresh() {
    m_pathEdit->setText(m_path);
    m_passwordEdit->setText(m_password);
    refreshThird();
}

void PfxFileDialog::onBrowse() {
    const std::optional<QString> chosen = choosePath(this, m_save, "pfx", "PFX Files (*.pfx)|*.pfx||");
    if (!chosen)
        return;
    m_path = *chosen;
    refresh();
}
