#include "DlgEncryptFile.h"

#include "CertList.h"
#include "DlgProtectPassword.h"
#include "EncDialogIds.h"
#include "FilePathHelpers.h"
#include "LocalPath.h"
#include "Settings.h"
#include "dialogs/DialogKit.h"
#include "dialogs/DlgSelectCert.h"
#include "widgets/ColumnFit.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace yx;
using namespace yx::dlgkit;

namespace {

QString withoutSpaces(QString text) {
    text.remove(QLatin1Char(' '));
    return text;
}

QString trimmed(const QString& path) {
    return qstr(kvx::TrimPath(utf8(path)));
}

} // namespace

CDlgEncryptFile::CDlgEncryptFile(CCertList* list, QWidget* parent) : QDialog(parent), m_list(list) {
    setObjectName(QString::number(res::IDD_ENCRYPT_FILE));
    setWindowTitle(QStringLiteral("文件加密"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buildFileRows());
    layout->addWidget(buildDefaultGroup());
    layout->addWidget(buildOtherGroup(), 1);
    layout->addLayout(buildOptions());
    layout->addWidget(okCancelButtons(this, QStringLiteral("加密")));
    connectControls();

    m_otherView->setEnabled(false);
    m_defaultView->setEnabled(false);
    const int em = fontMetrics().height();
    resize(std::max(sizeHint().width(), em * 36), std::max(sizeHint().height(), em * 26));
}

QLayout* CDlgEncryptFile::buildFileRows() {
    m_sourceEdit = withId(new QLineEdit(this), res::IDC_ENC_SOURCE);
    m_targetEdit = withId(new QLineEdit(this), res::IDC_ENC_TARGET);
    m_sourceEdit->setMinimumWidth(fontMetrics().averageCharWidth() * 44);
    m_sourceBrowse = sideButton(this, res::IDC_ENC_SOURCE_BROWSE, QStringLiteral("选择..."));
    m_targetBrowse = sideButton(this, res::IDC_ENC_TARGET_BROWSE, QStringLiteral("选择..."));
    auto* sourceLabel = new QLabel(QStringLiteral("原始文件(&S)："), this);
    auto* targetLabel = new QLabel(QStringLiteral("加密文件(&T)："), this);
    sourceLabel->setBuddy(m_sourceEdit);
    targetLabel->setBuddy(m_targetEdit);
    auto* files = new QGridLayout;
    files->addWidget(sourceLabel, 0, 0);
    files->addWidget(m_sourceEdit, 0, 1);
    files->addWidget(m_sourceBrowse, 0, 2);
    files->addWidget(targetLabel, 1, 0);
    files->addWidget(m_targetEdit, 1, 1);
    files->addWidget(m_targetBrowse, 1, 2);
    return files;
}

// The default encryption certificate.
QWidget* CDlgEncryptFile::buildDefaultGroup() {
    auto* group = new QGroupBox(QStringLiteral("默认加密证书"), this);
    m_defaultName = withId(new QLineEdit(group), res::IDC_ENC_DEFAULT_NAME);
    m_defaultName->setReadOnly(true);
    m_change = sideButton(group, res::IDC_ENC_DEFAULT_CHANGE, QStringLiteral("更改..."));
    m_defaultView = sideButton(group, res::IDC_ENC_DEFAULT_VIEW, QStringLiteral("查看证书"));
    auto* row = new QHBoxLayout(group);
    row->addWidget(m_defaultName, 1);
    row->addWidget(m_change);
    row->addWidget(m_defaultView);
    return group;
}

// Other people's certificates as further recipients.
QWidget* CDlgEncryptFile::buildOtherGroup() {
    auto* group = new QGroupBox(QStringLiteral("同时使用以下证书加密（可选）"), this);
    m_otherList = withId(new QTreeWidget(group), res::IDC_ENC_OTHER_LIST);
    m_otherList->setRootIsDecorated(false);
    m_otherList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_otherList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_otherList->setUniformRowHeights(true);
    m_otherList->setIconSize(QSize(16, 16));
    m_otherList->setHeaderLabels({QStringLiteral("颁发给"), QStringLiteral("颁发者"),
                                  QStringLiteral("截止日期"), QStringLiteral("好记的名字"),
                                  QStringLiteral("证书状态")});
    const int widths[] = {160, 80, 80, 80, 80};
    for (int c = 0; c < 5; ++c)
        m_otherList->setColumnWidth(c, widths[c]);
    // The status column stays empty here: names and dates get the room instead.
    m_otherList->header()->setStretchLastSection(false);
    ColumnFit::install(m_otherList, {0, 1, 2, 3});
    m_otherView = sideButton(group, res::IDC_ENC_OTHER_VIEW, QStringLiteral("查看证书"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_otherView);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(m_otherList, 1);
    layout->addLayout(buttons);
    return group;
}

QLayout* CDlgEncryptFile::buildOptions() {
    m_deleteBox =
        withId(new QCheckBox(QStringLiteral("加密后删除原始文件"), this), res::IDC_ENC_DELETE_SOURCE);
    m_protectBox = withId(new QCheckBox(QStringLiteral("设置保护密码"), this), res::IDC_ENC_PROTECT);
    auto* options = new QHBoxLayout;
    options->addWidget(m_deleteBox);
    options->addSpacing(fontMetrics().height());
    options->addWidget(m_protectBox);
    options->addStretch(1);
    return options;
}

void CDlgEncryptFile::connectControls() {
    connect(m_sourceBrowse, &QPushButton::clicked, this, &CDlgEncryptFile::chooseSource);
    connect(m_targetBrowse, &QPushButton::clicked, this, &CDlgEncryptFile::chooseTarget);
    connect(m_change, &QPushButton::clicked, this, &CDlgEncryptFile::changeDefault);
    connect(m_defaultView, &QPushButton::clicked, this, &CDlgEncryptFile::viewDefault);
    connect(m_otherView, &QPushButton::clicked, this, [this] { viewOtherRow(m_lastChanged); });
    connect(m_otherList, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> selected = m_otherList->selectedItems();
        m_lastChanged = selected.isEmpty() ? -1 : m_otherList->indexOfTopLevelItem(selected.first());
        m_lastHit = m_lastChanged;
        m_otherView->setEnabled(m_lastChanged >= 0);
    });
    connect(m_otherList, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
        m_lastHit = m_otherList->indexOfTopLevelItem(item);
        viewOtherRow(m_lastHit);
    });
    connect(m_protectBox, &QCheckBox::clicked, this, &CDlgEncryptFile::protectClicked);

    QWidget* const order[] = {m_sourceEdit,  m_sourceBrowse, m_targetEdit,  m_targetBrowse,
                              m_defaultName, m_change,       m_defaultView, m_otherList,
                              m_otherView,   m_deleteBox,    m_protectBox};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

QString CDlgEncryptFile::writtenTarget(const QString& target) const {
    return m_appendKvx ? qstr(kvx::EnsureFileExt(utf8(target), ".kvx")) : target;
}

void CDlgEncryptFile::SetSourcePath(const QString& path) {
    m_sourcePath = presetPath(path);
    m_sourceEdit->setText(m_sourcePath);
}

void CDlgEncryptFile::SetSourcePaths(const QStringList& paths) {
    m_several = paths.size() > 1;
    if (!m_several) {
        SetSourcePath(paths.value(0));
        return;
    }
    setWindowTitle(windowTitle() + QStringLiteral("（%1 个文件）").arg(paths.size()));
    m_sourcePath = paths.first();
    m_sourceEdit->setText(QStringLiteral("%1 等 %2 个文件").arg(paths.first()).arg(paths.size()));
    m_sourceEdit->setToolTip(paths.join(QLatin1Char('\n')));
    m_targetEdit->setText(QStringLiteral("每个文件加密为同一文件夹中加上 .kvx 的文件"));
    for (QLineEdit* edit : {m_sourceEdit, m_targetEdit})
        edit->setReadOnly(true);
    for (int id : {res::IDC_ENC_SOURCE_BROWSE, res::IDC_ENC_TARGET_BROWSE})
        if (auto* button = findChild<QPushButton*>(QString::number(id)))
            button->setEnabled(false);
}

void CDlgEncryptFile::showEvent(QShowEvent* event) {
    if (!m_initialised) {
        m_initialised = true;
        initialise();
    }
    QDialog::showEvent(event);
}

void CDlgEncryptFile::initialise() {
    if (!m_sourcePath.isEmpty() && !m_several)
        m_targetEdit->setText(m_sourcePath + QStringLiteral(".kvx"));
    m_my.OpenCertStore();
    m_otherList->clear();
    m_other.OpenCertStore();
    const QIcon icon = certRowIcon();
    const int count = m_other.GetCertCount();
    for (int i = 0; i < count; ++i) {
        CDigitalCertificate* cert = m_other.getCert(i);
        auto* item = new QTreeWidgetItem(m_otherList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
        item->setIcon(0, icon);
        item->setText(0, certText(cert, &CDigitalCertificate::getDisplayName));
        item->setText(1, certText(cert, &CDigitalCertificate::getIssuerCN));
        item->setText(2, certText(cert, &CDigitalCertificate::getValidToDate));
        item->setText(3, certText(cert, &CDigitalCertificate::getFriendlyName));
        for (int c = 0; c < 4; ++c)
            item->setToolTip(c, item->text(c));
    }
    m_otherView->setEnabled(false);
    m_defaultView->setEnabled(false);
    m_default = readDefaultCertificate();
    if (m_default) {
        m_defaultName->setText(certText(m_default, &CDigitalCertificate::getDisplayName));
        m_defaultView->setEnabled(true);
    }
    if (m_several)
        m_otherList->setFocus(); // the paths are fixed: the recipients are what is chosen
    else
        (m_sourceEdit->text().isEmpty() ? m_sourceEdit : m_targetEdit)->setFocus();
}

CDigitalCertificate* CDlgEncryptFile::readDefaultCertificate() {
    const QString hash = withoutSpaces(qstr(settings::defaultEncCertHash()));
    if (hash.isEmpty())
        return nullptr;
    return m_my.FindByThumb(utf8(hash));
}

void CDlgEncryptFile::chooseSource() {
    const auto chosen = choosePath(this, false, "", "所有文件 (*.*)|*.*||", m_sourceEdit->text());
    if (!chosen)
        return;
    m_sourceEdit->setText(*chosen);
    m_targetEdit->setText(*chosen + QStringLiteral(".kvx"));
}

void CDlgEncryptFile::chooseTarget() {
    const auto chosen = choosePath(this, true, "kvx", "KVX 文件(*.kvx)|*.kvx||", m_targetEdit->text());
    if (chosen)
        m_targetEdit->setText(*chosen);
}

void CDlgEncryptFile::changeDefault() {
    // Every personal certificate is offered here; the configuration tab offers encryption
    // certificates only.
    CDlgSelectCert chooser(&m_my, QStringLiteral("设置默认的加密证书"), this);
    if (chooser.exec() != QDialog::Accepted || chooser.selection() < 0)
        return;
    CDigitalCertificate* cert = m_my.getCert(chooser.selection());
    if (!cert)
        return;
    m_default = cert;
    m_defaultName->setText(certText(cert, &CDigitalCertificate::getDisplayName));
    // The choice is the program-wide default at once, even if this dialog is then cancelled.
    std::string thumb;
    cert->getThumbPrint(thumb);
    settings::WriteProfileString("DefaultEncCert", "CertHash", thumb);
    m_defaultView->setEnabled(true);
}

void CDlgEncryptFile::viewDefault() {
    if (m_default)
        m_default->Display();
}

void CDlgEncryptFile::viewOtherRow(int row) {
    if (row < 0)
        return;
    if (CDigitalCertificate* cert = m_other.getCert(row))
        cert->Display();
}

void CDlgEncryptFile::protectClicked() {
    if (!m_protectBox->isChecked())
        return; // the password is dropped at OK
    CDlgProtectPassword dialog(this);
    if (dialog.exec() == QDialog::Accepted) {
        m_password = dialog.password();
        return;
    }
    m_protectBox->setChecked(false);
    m_password.clear();
}

void CDlgEncryptFile::accept() {
    if (m_several) {
        acceptRecipients();
        return;
    }
    const QString source = trimmed(m_sourceEdit->text());
    const QString target = trimmed(m_targetEdit->text());
    m_sourceEdit->setText(source);
    m_targetEdit->setText(target);

    if (source.isEmpty()) {
        say(this, "请选择加密原始文件！", MsgIcon::Information);
        m_sourceEdit->setFocus();
        return;
    }
    if (target.isEmpty()) {
        say(this, "请选择加密目标文件！", MsgIcon::Information);
        m_targetEdit->setFocus();
        return;
    }
    if (m_defaultName->text().isEmpty()) {
        say(this, "请配置默认的文件加密证书！", MsgIcon::Information);
        return;
    }
    // (An empty source, "请选定一个文件！", cannot reach this check any more.)
    if (!isExistingFile(source)) {
        say(this, "您所指定的文件不存在！", MsgIcon::Error);
        m_sourceEdit->setFocus();
        return;
    }
    // The question is about the file that will be replaced, ".kvx" appended where the caller
    // appends it.
    if (fileExistsAt(writtenTarget(target)) && say(this, "您所指定加密的文件已经存在，要覆盖它吗？",
                                                   MsgIcon::Warning, MsgButtons::YesNo) != MsgAnswer::Yes) {
        m_targetEdit->setFocus();
        return;
    }
    m_sourcePath = source;
    m_targetPath = target;
    acceptRecipients();
}

// The checks every encryption shares, then the certificate list.
void CDlgEncryptFile::acceptRecipients() {
    if (m_defaultName->text().isEmpty()) {
        say(this, "请配置默认的文件加密证书！", MsgIcon::Information);
        return;
    }
    if (!m_protectBox->isChecked())
        m_password.clear();

    // The default certificate is read again: the setting may have changed meanwhile.
    CDigitalCertificate* def = readDefaultCertificate();
    if (!def) {
        say(this, "请配置默认的文件加密证书！", MsgIcon::Information);
        return;
    }
    m_default = def;
    m_list->Add(def, false);
    for (int row = 0; row < m_otherList->topLevelItemCount(); ++row)
        if (m_otherList->topLevelItem(row)->checkState(0) == Qt::Checked)
            if (CDigitalCertificate* cert = m_other.getCert(row))
                m_list->Add(cert, false);

    m_deleteSource = m_deleteBox->isChecked();
    QDialog::accept();
}
