#include "DlgSetContactCerts.h"

#include "DigitalCertificate.h"
#include "FoxmailContact.h"
#include "dialogs/CertSource.h"
#include "dialogs/DlgImportSystemCert.h"
#include "directory/CertResultList.h"
#include "directory/DlgLdapResult.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

using namespace yx;
using namespace yx::dlgkit;
using namespace yx::maildlg;

CDlgSetContactCerts::CDlgSetContactCerts(CFoxmailContact* contact, QWidget* parent)
    : QDialog(parent), m_contact(contact) {
    setObjectName(QString::number(IDD));
    setWindowTitle(QStringLiteral("设置联系人证书"));

    m_list =
        withId(new CertResultList({{QStringLiteral("姓名"), 240}, {QStringLiteral("截止日期"), 2}}, this),
               res::IDC_CONTACT_CERT_LIST);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setColumnHidden(1, true); // the 2-pixel expiry column of the list: hidden
    m_list->viewport()->installEventFilter(this);
    QPushButton* fromStore = sideButton(this, res::IDC_CONTACTS_IMPORT_STORE, QStringLiteral("从系统导入"));
    QPushButton* fromDirectory = sideButton(this, res::IDC_CONTACTS_IMPORT_LDAP, QStringLiteral("LDAP导入"));
    m_view = sideButton(this, res::IDC_CONTACTS_VIEW, QStringLiteral("查看证书"));
    m_remove = sideButton(this, res::IDC_CONTACT_REMOVE, QStringLiteral("删除..."));
    m_makeDefault = sideButton(this, res::IDC_CONTACTS_MAKE_DEFAULT, QStringLiteral("设为默认值"));

    auto* group = new QGroupBox(QStringLiteral("设置加密证书"), this);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {fromStore, fromDirectory, m_view, m_remove, m_makeDefault})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto* inside = new QHBoxLayout(group);
    inside->addWidget(m_list, 1);
    inside->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group, 1);
    layout->addWidget(okCancelButtons(this));
    const int em = fontMetrics().height();
    resize(240 + 14 * em, 16 * em);

    if (m_contact) {
        m_contact->GetCerts(m_contactCerts);
        for (const auto& cert : m_contactCerts)
            m_certs.push_back(cert.get());
        m_email = m_contact->email();
    }
    for (size_t i = 0; i < m_certs.size(); ++i) {
        QString text = displayName(m_certs[i]);
        if (i == 0)
            text += QStringLiteral(" ") + QString::fromUtf8(kDefaultMark);
        m_list->addRow({text, QString()});
    }
    setButtons(false);
    openFiltered(m_store, m_email, "Crypt");

    m_list->onPress = [this](int row) { onPress(row); };
    m_list->onDoubleClick = [this] { viewSelected(); };
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (m_list->changingByKeyboard() && current)
            onPress(m_list->indexOfTopLevelItem(current));
    });
    connect(fromStore, &QPushButton::clicked, this, &CDlgSetContactCerts::importFromStore);
    connect(fromDirectory, &QPushButton::clicked, this, &CDlgSetContactCerts::importFromDirectory);
    connect(m_view, &QPushButton::clicked, this, &CDlgSetContactCerts::viewSelected);
    connect(m_remove, &QPushButton::clicked, this, &CDlgSetContactCerts::removeSelected);
    connect(m_makeDefault, &QPushButton::clicked, this, &CDlgSetContactCerts::makeDefault);
}

CDlgSetContactCerts::~CDlgSetContactCerts() = default;

void CDlgSetContactCerts::GetCerts(std::vector<CDigitalCertificate*>& out) const {
    out = m_certs;
}

bool CDlgSetContactCerts::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list->viewport() &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
        m_pressButton = static_cast<QMouseEvent*>(event)->button();
    return QDialog::eventFilter(watched, event);
}

// A left click sets the selection and the buttons follow it; a right click sets the selection
// and only enables them.
void CDlgSetContactCerts::onPress(int row) {
    m_selected = row;
    if (row >= 0)
        setButtons(true);
    else if (m_pressButton == Qt::LeftButton)
        setButtons(false);
}

void CDlgSetContactCerts::setButtons(bool enabled) {
    for (QPushButton* b : {m_view, m_remove, m_makeDefault})
        b->setEnabled(enabled);
}

void CDlgSetContactCerts::removeSelected() {
    if (m_selected < 0 || m_selected >= static_cast<int>(m_certs.size()))
        return;
    m_certs.erase(m_certs.begin() + m_selected);
    delete m_list->takeTopLevelItem(m_selected);
    if (m_certs.empty()) {
        m_selected = -1;
        setButtons(false);
        return;
    }
    m_selected = 0;
    QTreeWidgetItem* first = m_list->topLevelItem(0);
    m_list->setCurrentItem(first);
    m_list->setFocus();
}

void CDlgSetContactCerts::makeDefault() {
    if (m_selected < 0 || m_selected >= static_cast<int>(m_certs.size()))
        return;
    QTreeWidgetItem* selected = m_list->topLevelItem(m_selected);
    if (hasDefaultMark(selected->text(0)))
        return;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        item->setText(0, withoutDefaultMark(item->text(0)));
    }
    selected->setText(0, selected->text(0) + QString::fromUtf8(kDefaultMark));
    // The list order changes; the rows stay where they are on screen.
    CDigitalCertificate* cert = m_certs[static_cast<size_t>(m_selected)];
    m_certs.erase(m_certs.begin() + m_selected);
    m_certs.insert(m_certs.begin(), cert);
}

bool CDlgSetContactCerts::append(CDigitalCertificate* cert, const char* duplicate) {
    const std::string thumb = thumbprint(cert);
    for (CDigitalCertificate* present : m_certs) {
        if (thumbprint(present) == thumb) {
            say(this, duplicate, MsgIcon::None);
            return false;
        }
    }
    m_certs.push_back(cert);
    QString text = displayName(cert);
    if (m_certs.size() == 1)
        text += QString::fromUtf8(kDefaultMark);
    m_list->addRow({text, QString()});
    return true;
}

void CDlgSetContactCerts::importFromStore() {
    CDlgImportSystemCert dialog(&m_store, QString(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (CDigitalCertificate* cert = dialog.GetCert())
        append(cert, "您选定的证书已经和该联系人关联！");
}

void CDlgSetContactCerts::importFromDirectory() {
    OwnedCerts found;
    if (!lookUpContact(this, m_email, found))
        return;
    m_found.push_back(std::move(found)); // a result taken into the list lives as long as the dialog
    const CCertVectorSource source(m_found.back());
    CDlgLdapResult dialog(source, qstr(m_email), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (CDigitalCertificate* cert = dialog.GetSelectedCert())
        append(cert, "你所选定要导入的证书已经和该联系人关联！");
}

void CDlgSetContactCerts::viewSelected() {
    if (m_selected >= 0 && m_selected < static_cast<int>(m_certs.size()))
        m_certs[static_cast<size_t>(m_selected)]->Display();
}
