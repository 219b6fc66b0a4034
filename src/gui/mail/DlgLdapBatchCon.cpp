#include "DlgLdapBatchCon.h"

#include "Artwork.h"
#include "DigitalCertificate.h"
#include "FoxmailContact.h"
#include "MailDialogKit.h"
#include "OEAddrBook.h"
#include "directory/CertResultList.h"
#include "widgets/AnimationControl.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

using namespace yx;
using namespace yx::dlgkit;
using namespace yx::maildlg;

namespace {

std::vector<QString> namesOf(const std::vector<CFoxmailContact*>& contacts) {
    std::vector<QString> names;
    for (CFoxmailContact* c : contacts)
        names.push_back(c ? qstr(c->name()) : QString());
    return names;
}

std::vector<QString> namesOf(const std::vector<CContact*>& contacts) {
    std::vector<QString> names;
    for (CContact* c : contacts) {
        COEWABProperty* name = c ? c->getProperty(CContact::kDisplayName) : nullptr;
        names.push_back(name ? QString::fromUtf8(name->getStrValue()) : QString());
    }
    return names;
}

} // namespace

CDlgLdapBatchCon::CDlgLdapBatchCon(const std::vector<CFoxmailContact*>& contacts, QWidget* parent)
    : CDlgLdapBatchCon(kFoxmailContacts, namesOf(contacts), mail::addressesOf(contacts), parent) {}

CDlgLdapBatchCon::CDlgLdapBatchCon(const std::vector<CContact*>& contacts, QWidget* parent)
    : CDlgLdapBatchCon(kOutlookExpressContacts, namesOf(contacts), mail::addressesOf(contacts), parent) {}

CDlgLdapBatchCon::CDlgLdapBatchCon(std::vector<QString> names, std::vector<std::string> addresses,
                                   QWidget* parent)
    : CDlgLdapBatchCon(kThunderbirdContacts, std::move(names), std::move(addresses), parent) {}

CDlgLdapBatchCon::CDlgLdapBatchCon(ContactKind kind, std::vector<QString> names,
                                   std::vector<std::string> addresses, QWidget* parent)
    : QDialog(parent), m_kind(kind), m_names(std::move(names)), m_addresses(std::move(addresses)),
      m_lookup(std::make_unique<CBatchLookup>(m_addresses)), m_chosen(m_addresses.size(), nullptr),
      m_run([](CBatchLookup& lookup, const std::atomic<bool>& cancel,
               const CBatchLookup::Progress& progress) { return lookup.Run(cancel, progress); }) {
    setObjectName(QString::number(IDD));
    setWindowTitle(QStringLiteral("批量配置"));

    m_contacts = withId(
        new CertResultList({{QStringLiteral("姓名"), 150}, {QStringLiteral("电子邮件地址"), 200}}, this),
        res::IDC_BATCH_CONTACTS);
    m_contacts->setSelectionMode(QAbstractItemView::SingleSelection);
    m_animation = withId(new AnimationControl(this), res::IDC_BATCH_ANIMATION);
    m_busy = withId(new QLabel(QStringLiteral("正在查找LDAP，请稍候..."), this), res::IDC_BATCH_BUSY);
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("batchProgress"));
    m_certsLabel = withId(new QLabel(this), res::IDC_BATCH_CERTS_LABEL);
    m_certs =
        withId(new CertResultList({{QStringLiteral("姓名"), 240}, {QStringLiteral("截止日期"), 2}}, this),
               res::IDC_BATCH_CERTS);
    m_certs->setSelectionMode(QAbstractItemView::SingleSelection);
    m_certs->setColumnHidden(1, true); // the 2-pixel expiry column of the list: hidden
    m_view = sideButton(this, res::IDC_BATCH_VIEW, QStringLiteral("查看证书"));
    m_makeDefault = sideButton(this, res::IDC_BATCH_MAKE_DEFAULT, QStringLiteral("设为默认值"));
    m_option = withId(new QCheckBox(QStringLiteral("自动为搜索到仅有一个证书的联系人配置证书 "), this),
                      res::IDC_BATCH_OPTION);
    QDialogButtonBox* buttons = okCancelButtons(this);
    m_ok = buttons->findChild<QPushButton*>(QString::number(res::IDOK));
    m_cancelButton = buttons->findChild<QPushButton*>(QString::number(res::IDCANCEL));

    arrangeControls(buttons);

    // 1. The animation plays in the contacts list's place.
    m_animation->open(res::IDR_AVI_LDAP_SEARCH);
    m_animation->play();
    // 3. Nothing to confirm or act on until the look-up has ended.
    m_ok->setEnabled(false);
    setCertButtons(false);
    m_certsLabel->clear();
    // 5. The contacts, each with the contact icon.
    const QIcon contactIcon = art::icon(res::IDI_MAIL_ITEM_SMALL);
    for (size_t i = 0; i < m_addresses.size(); ++i) {
        auto* item = new QTreeWidgetItem({m_names[i], qstr(m_addresses[i])});
        item->setIcon(0, contactIcon);
        m_contacts->addTopLevelItem(item);
    }
    // 6. The list stays hidden until the look-up has ended.
    m_contacts->hide();

    m_contacts->onPress = [this](int row) { selectContact(row); };
    m_certs->onPress = [this](int row) { selectCert(row, false); };
    m_certs->viewport()->installEventFilter(this);
    // Keyboard users move through both lists with the arrow keys.
    connect(m_contacts, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (m_contacts->changingByKeyboard())
            selectContact(current ? m_contacts->indexOfTopLevelItem(current) : -1);
    });
    connect(m_certs, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (m_certs->changingByKeyboard())
            selectCert(current ? m_certs->indexOfTopLevelItem(current) : -1, false);
    });
    connect(m_view, &QPushButton::clicked, this, [this] { selectCert(m_cert, true); });
    connect(m_makeDefault, &QPushButton::clicked, this, &CDlgLdapBatchCon::makeDefault);
    connect(this, &CDlgLdapBatchCon::lookupFinished, this, &CDlgLdapBatchCon::onFinished,
            Qt::QueuedConnection);
    connect(
        this, &CDlgLdapBatchCon::lookupProgress, this,
        [this](int done, int total) { m_progress->setText(QStringLiteral("%1 / %2").arg(done).arg(total)); },
        Qt::QueuedConnection);
}

// The contacts group (list, animation and busy texts in one place), the certificate group, the
// option and the OK/Cancel row.
void CDlgLdapBatchCon::arrangeControls(QDialogButtonBox* buttons) {
    auto* contactsGroup = new QGroupBox(QStringLiteral("联系人列表"), this);
    auto* contactsBox = new QVBoxLayout(contactsGroup);
    contactsBox->addWidget(m_contacts, 1);
    contactsBox->addWidget(m_animation, 1);
    contactsBox->addWidget(m_busy, 0, Qt::AlignHCenter);
    contactsBox->addWidget(m_progress, 0, Qt::AlignHCenter);
    auto* certGroup = new QGroupBox(QStringLiteral("设置默认证书"), this);
    auto* certButtons = new QHBoxLayout;
    certButtons->addStretch(1);
    certButtons->addWidget(m_view);
    certButtons->addWidget(m_makeDefault);
    auto* certBox = new QVBoxLayout(certGroup);
    certBox->addWidget(m_certsLabel);
    certBox->addWidget(m_certs, 1);
    certBox->addLayout(certButtons);
    auto* optionGroup = new QGroupBox(QStringLiteral("选项"), this);
    auto* optionBox = new QVBoxLayout(optionGroup);
    optionBox->addWidget(m_option);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(contactsGroup, 3);
    layout->addWidget(certGroup, 2);
    layout->addWidget(optionGroup);
    layout->addWidget(buttons);
    const int em = fontMetrics().height();
    resize(std::max(150 + 200 + 4 * em, 28 * em), 34 * em);
}

CDlgLdapBatchCon::~CDlgLdapBatchCon() {
    m_cancel = true;
    joinWorker();
}

void CDlgLdapBatchCon::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_worker.joinable() && !m_finished)
        startLookup();
}

void CDlgLdapBatchCon::startLookup() {
    m_worker = std::thread([this, run = m_run, lookup = m_lookup.get()] {
        CBatchLookup::Result result = CBatchLookup::kDirectoryFailed;
        try {
            result =
                run(*lookup, m_cancel, [this](int done, int total) { emit lookupProgress(done, total); });
        } catch (...) {
            result = CBatchLookup::kDirectoryFailed; // nothing may take the program down
        }
        emit lookupFinished(static_cast<int>(result));
    });
}

void CDlgLdapBatchCon::joinWorker() {
    if (m_worker.joinable())
        m_worker.join();
}

void CDlgLdapBatchCon::onFinished(int result) {
    joinWorker();
    m_animation->stop();
    m_animation->hide();
    m_busy->hide();
    m_progress->hide();
    if (result == CBatchLookup::kDirectoryFailed) {
        say(this, "目录查询失败，批量配置失败！", MsgIcon::Warning, MsgButtons::Ok, kDirectoryCaption);
        m_cancel = true;
    } else if (!m_cancel) {
        say(this, "LDAP搜索完毕！", MsgIcon::Information);
        m_contacts->show();
        m_ok->setEnabled(true);
    }
    m_finished = true;
    if (m_cancel)
        QDialog::reject();
}

void CDlgLdapBatchCon::reject() {
    if (!m_finished) {
        // The worker stops after the contact in progress; its end closes the dialog.
        m_cancel = true;
        m_cancelButton->setEnabled(false);
        return;
    }
    QDialog::reject();
}

void CDlgLdapBatchCon::accept() {
    if (!m_finished)
        return;
    if (m_option->isChecked()) {
        for (int i = 0; i < contactCount(); ++i) {
            if (m_lookup->Found(i).size() != 1)
                continue;
            CDigitalCertificate* only = m_lookup->OnlyFound(i);
            if (!only) {
                say(this, "设置默认证书失败！", MsgIcon::Error);
                return;
            }
            m_chosen[static_cast<size_t>(i)] = only;
        }
    }
    QDialog::accept();
}

CDigitalCertificate* CDlgLdapBatchCon::GetChosenCert(int contact) const {
    return contact >= 0 && contact < contactCount() ? m_chosen[static_cast<size_t>(contact)] : nullptr;
}

void CDlgLdapBatchCon::selectContact(int row) {
    m_contact = row;
    m_certs->clear();
    setCertButtons(false);
    m_cert = -1;
    if (row < 0 || row >= contactCount())
        return;
    const QString address = m_contacts->topLevelItem(row)->text(1);
    const auto& found = m_lookup->Found(row);
    m_certsLabel->setText((found.empty() ? QStringLiteral("未搜到与") : QStringLiteral("搜索到与")) +
                          address + QStringLiteral("匹配的证书"));
    for (const auto& cert : found) {
        QString text = displayName(cert.get());
        if (cert.get() == m_chosen[static_cast<size_t>(row)])
            text += QStringLiteral(" ") + QString::fromUtf8(kDefaultMark);
        m_certs->addRow({text, QString()});
    }
}

bool CDlgLdapBatchCon::eventFilter(QObject* watched, QEvent* event) {
    // A double click on a certificate selects it and shows it.
    if (watched == m_certs->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const QModelIndex hit = m_certs->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        selectCert(hit.isValid() ? hit.row() : -1, true);
    }
    return QDialog::eventFilter(watched, event);
}

void CDlgLdapBatchCon::selectCert(int row, bool show) {
    m_cert = row;
    const bool valid = row >= 0 && row < m_certs->topLevelItemCount();
    setCertButtons(valid);
    if (valid && show && m_contact >= 0) {
        const auto& found = m_lookup->Found(m_contact);
        if (row < static_cast<int>(found.size()))
            found[static_cast<size_t>(row)]->Display();
    }
}

void CDlgLdapBatchCon::setCertButtons(bool enabled) {
    m_view->setEnabled(enabled);
    m_makeDefault->setEnabled(enabled);
}

void CDlgLdapBatchCon::makeDefault() {
    if (m_cert < 0 || m_cert >= m_certs->topLevelItemCount())
        return;
    QTreeWidgetItem* selected = m_certs->topLevelItem(m_cert);
    if (hasDefaultMark(selected->text(0)))
        return;
    for (int i = 0; i < m_certs->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_certs->topLevelItem(i);
        item->setText(0, withoutDefaultMark(item->text(0)));
    }
    const bool known = m_contact >= 0 && m_contact < contactCount() &&
                       m_cert < static_cast<int>(m_lookup->Found(m_contact).size());
    if (!known) {
        say(this, "设置默认证书失败！", MsgIcon::Error);
        return;
    }
    m_chosen[static_cast<size_t>(m_contact)] = m_lookup->Found(m_contact)[static_cast<size_t>(m_cert)].get();
    selected->setText(0, selected->text(0) + QString::fromUtf8(kDefaultMark));
}
