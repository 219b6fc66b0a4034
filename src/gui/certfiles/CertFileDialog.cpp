#include "CertFileDialog.h"

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

CertFileDialog::CertFileDialog(int dialogId, const QString& title, const QString& label, bool save,
                               QWidget* parent)
    : QDialog(parent), m_save(save) {
    setObjectName(QString::number(dialogId));
    setWindowTitle(title);

    m_pathEdit = pathEdit(this, res::IDC_CERTDLG_PATH);
    QPushButton* browse = browseButton(this, res::IDC_CERTDLG_BROWSE);
    auto* pathLabel = new QLabel(label, this);
    pathLabel->setBuddy(m_pathEdit);

    auto* grid = new QGridLayout;
    grid->addWidget(pathLabel, 0, 0, 1, 2);
    grid->addWidget(m_pathEdit, 1, 0);
    grid->addWidget(browse, 1, 1);
    grid->setColumnStretch(0, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(okCancelButtons(this));

    connect(browse, &QPushButton::clicked, this, &CertFileDialog::onBrowse);
    setTabOrder(m_pathEdit, browse);
    fitDialog(this, 24);
}

const QString& CertFileDialog::takeOverPath() {
    m_path = m_pathEdit->text();
    return m_path;
}

void CertFileDialog::onBrowse() {
    const std::optional<QString> chosen = choosePath(this, m_save, "cer", "CER Files (*.cer)|*.cer||");
    if (!chosen)
        return;
    m_path = *chosen;
    m_pathEdit->setText(m_path);
}
