#include "DlgDecryptFile.h"

#include "CertStore.h"
#include "EncDialogIds.h"
#include "FilePathHelpers.h"
#include "dialogs/DialogKit.h"

#include "LocalPath.h"
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QVBoxLayout>

#include <sys/stat.h>

using namespace yx;
using namespace yx::dlgkit;

CDlgDecryptFile::CDlgDecryptFile(QWidget* parent) : QDialog(parent) {
    setObjectName(QString::number(res::IDD_DECRYPT_FILE));
    setWindowTitle(QStringLiteral("文件解密"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_sourceEdit = withId(new QLineEdit(this), res::IDC_DEC_SOURCE);
    m_sourceEdit->setReadOnly(true); // set by the chooser or a preset path only
    m_sourceEdit->setMinimumWidth(fontMetrics().averageCharWidth() * 44);
    m_targetEdit = withId(new QLineEdit(this), res::IDC_DEC_TARGET);
    QPushButton* sourceBrowse = sideButton(this, res::IDC_DEC_SOURCE_BROWSE, QStringLiteral("选择..."));
    QPushButton* targetBrowse = sideButton(this, res::IDC_DEC_TARGET_BROWSE, QStringLiteral("选择..."));
    auto* sourceLabel = new QLabel(QStringLiteral("加密文件(&S)："), this);
    auto* targetLabel = new QLabel(QStringLiteral("解密文件(&T)："), this);
    sourceLabel->setBuddy(sourceBrowse);
    targetLabel->setBuddy(m_targetEdit);

    m_choiceLabel = withId(new QLabel(QStringLiteral("您有以下可供选择的用来解密该文件的证书："), this),
                           res::IDC_DEC_CHOICE_LABEL);
    m_v1Label = withId(new QLabel(this), res::IDC_DEC_V1_LABEL);
    m_v1Label->hide();
    m_certBox = withId(new QComboBox(this), res::IDC_DEC_CERT_BOX);
    m_certBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_view = sideButton(this, res::IDC_DEC_VIEW, QStringLiteral("查看证书"));

    auto* grid = new QGridLayout;
    grid->addWidget(sourceLabel, 0, 0);
    grid->addWidget(m_sourceEdit, 0, 1);
    grid->addWidget(sourceBrowse, 0, 2);
    grid->addWidget(targetLabel, 1, 0);
    grid->addWidget(m_targetEdit, 1, 1);
    grid->addWidget(targetBrowse, 1, 2);
    grid->setColumnStretch(1, 1);
    auto* certRow = new QHBoxLayout;
    certRow->addWidget(m_certBox, 1);
    certRow->addWidget(m_view);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(m_choiceLabel);
    layout->addLayout(certRow);
    layout->addWidget(m_v1Label);
    layout->addStretch(1);
    layout->addWidget(okCancelButtons(this, QStringLiteral("解密")));

    connect(sourceBrowse, &QPushButton::clicked, this, &CDlgDecryptFile::chooseSource);
    connect(targetBrowse, &QPushButton::clicked, this, &CDlgDecryptFile::chooseTarget);
    connect(m_view, &QPushButton::clicked, this, &CDlgDecryptFile::viewCertificate);
    setTabOrder(sourceBrowse, m_targetEdit);
    setTabOrder(m_targetEdit, targetBrowse);
    setTabOrder(targetBrowse, m_certBox);
    setTabOrder(m_certBox, m_view);
    fitDialog(this, 34);
}

void CDlgDecryptFile::SetSourcePath(const QString& path) {
    m_sourceEdit->setText(presetPath(path));
}

void CDlgDecryptFile::SetSeveral(int count) {
    m_several = count > 1;
    if (!m_several)
        return;
    setWindowTitle(windowTitle() + QStringLiteral("（%1 个文件）").arg(count));
    m_targetEdit->setReadOnly(true);
    for (int id : {res::IDC_DEC_SOURCE_BROWSE, res::IDC_DEC_TARGET_BROWSE})
        if (auto* button = findChild<QPushButton*>(QString::number(id)))
            button->setEnabled(false);
}

QString CDlgDecryptFile::sourcePath() const {
    return m_sourceEdit->text();
}

QString CDlgDecryptFile::targetPath() const {
    return m_targetEdit->text();
}

int CDlgDecryptFile::chosenRecord() const {
    if (m_selected < 0 || static_cast<size_t>(m_selected) >= m_indexes.size())
        return -1;
    return static_cast<int>(m_indexes[static_cast<size_t>(m_selected)]);
}

std::string CDlgDecryptFile::headerExtension() const {
    std::string extension = m_head.headerFields().extension;
    // The extension comes from the file: one that would lead into another folder is not used.
    if (extension.find_first_of("/\\") != std::string::npos)
        extension.clear();
    return extension;
}

int CDlgDecryptFile::exec() {
    if (!m_initialised) {
        m_initialised = true;
        if (!initialise())
            return QDialog::Rejected;
    }
    return QDialog::exec();
}

void CDlgDecryptFile::showEvent(QShowEvent* event) {
    if (!m_initialised) {
        m_initialised = true;
        if (!initialise())
            QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
    }
    QDialog::showEvent(event);
}

bool CDlgDecryptFile::initialise() {
    m_view->setEnabled(false);
    m_head = kvx::DecryptHead{};
    if (!m_sourceEdit->text().isEmpty() && !loadSource())
        return false;
    (m_sourceEdit->text().isEmpty()
         ? static_cast<QWidget*>(findChild<QPushButton*>(QString::number(res::IDC_DEC_SOURCE_BROWSE)))
         : m_targetEdit)
        ->setFocus();
    return true;
}

bool CDlgDecryptFile::loadSource() {
    m_thumbprints.clear();
    m_indexes.clear();
    m_certBox->clear();
    const QString source = m_sourceEdit->text();
    std::string message;
    if (kvx::ReadDecryptHead(utf8(source), m_head, message) != 1) {
        if (!message.empty())
            say(this, message, MsgIcon::Error);
        return false;
    }
    if (m_head.version == kvx::Version::V1) {
        m_certBox->hide();
        m_view->hide();
        m_choiceLabel->hide();
        m_v1Label->setText(QStringLiteral("钥匣会为你选择合适的解密证书进行解密"));
        m_v1Label->show();
        m_targetEdit->setText(qstr(kvx::StripFileExt(utf8(source))));
        return true;
    }
    if (m_head.version != kvx::Version::V2)
        return false;
    m_certBox->show();
    m_view->show();
    m_choiceLabel->show();
    m_v1Label->hide();
    CMyCertStore personal;
    personal.OpenCertStore();
    const auto usable = kvx::usableRecords(
        m_head, [&personal](const std::string& thumb) { return personal.FindByThumb(thumb) != nullptr; });
    const QIcon icon = certRowIcon();
    for (const kvx::UsableRecord& record : usable) {
        m_certBox->addItem(icon, qstr(record.displayName));
        m_thumbprints.push_back(record.thumbprint);
        m_indexes.push_back(record.index);
    }
    if (usable.empty()) {
        m_view->setEnabled(false);
    } else {
        m_view->setEnabled(true);
        m_certBox->setCurrentIndex(0);
        m_selected = 0;
    }
    m_targetEdit->setText(qstr(kvx::EnsureFileExt(kvx::StripFileExt(utf8(source)), headerExtension())));
    return true;
}

void CDlgDecryptFile::chooseSource() {
    const auto chosen = choosePath(this, false, "kvx", "KVX Files(*.kvx)|*.kvx||", m_sourceEdit->text());
    if (!chosen)
        return;
    m_sourceEdit->clear();
    m_targetEdit->clear();
    m_sourceEdit->setText(*chosen);
    loadSource();
}

void CDlgDecryptFile::chooseTarget() {
    // The suffix is the last three characters of the original file's extension. The chooser is a
    // save chooser: the decrypted file usually does not exist yet; OK asks before overwriting.
    const std::string extension = headerExtension();
    std::string suffix = extension.size() > 3 ? extension.substr(extension.size() - 3) : extension;
    std::erase(suffix, '.');
    const auto chosen = choosePath(this, true, suffix, "所有文件(*.*)|*.*||", m_targetEdit->text());
    if (chosen)
        m_targetEdit->setText(*chosen);
}

void CDlgDecryptFile::viewCertificate() {
    const int item = m_certBox->currentIndex();
    if (item < 0 || static_cast<size_t>(item) >= m_thumbprints.size())
        return;
    CMyCertStore personal;
    personal.OpenCertStore();
    if (CDigitalCertificate* cert = personal.FindByThumb(m_thumbprints[static_cast<size_t>(item)]))
        cert->Display();
}

void CDlgDecryptFile::accept() {
    m_selected = m_certBox->currentIndex();
    const QString source = qstr(kvx::TrimPath(utf8(m_sourceEdit->text())));
    const QString target = qstr(kvx::TrimPath(utf8(m_targetEdit->text())));
    m_sourceEdit->setText(source);
    m_targetEdit->setText(target);

    if (source.isEmpty()) {
        say(this, "请选择加密文件！", MsgIcon::Error);
        return;
    }
    if (target.isEmpty()) {
        say(this, "请选择解密文件！", MsgIcon::Error);
        m_targetEdit->setFocus();
        return;
    }
    if (!isExistingFile(source)) {
        say(this, "您所指定的文件不存在！", MsgIcon::Error);
        return;
    }
    struct stat st {};
    if (::stat(utf8(source).c_str(), &st) != 0) {
        say(this, "取文件长度时失败！", MsgIcon::Error);
        return;
    }
    if (m_head.version != kvx::Version::V1 && m_head.version != kvx::Version::V2) {
        say(this, "您所解密的文件已被破坏或者您所选定的文件为非加密文件！", MsgIcon::Error);
        return;
    }
    if (m_head.version == kvx::Version::V2 && m_certBox->count() == 0) {
        say(this, "没有可用的解密证书！", MsgIcon::Warning);
        return;
    }
    if (!m_several && fileExistsAt(target) &&
        say(this, "您所指定的解密文件已经存在，要覆盖它吗？", MsgIcon::Warning, MsgButtons::YesNo) !=
            MsgAnswer::Yes) {
        m_targetEdit->setFocus();
        return;
    }
    QDialog::accept();
}
