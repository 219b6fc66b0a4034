#include "SecureMailPage.h"

#include "Artwork.h"
#include "BatchLookup.h"
#include "DigitalCertificate.h"
#include "DlgAccountCert.h"
#include "DlgAccountSignCert.h"
#include "DlgLdapBatchCon.h"
#include "DlgSetContactCert.h"
#include "DlgSetContactCerts.h"
#include "MailDialogIds.h"
#include "MailDialogKit.h"
#include "MailListModel.h"
#include "MailListView.h"
#include "MenuResources.h"
#include "ResourceIds.h"
#include "ThunderbirdMail.h"
#include "UserPrompt.h"

#include <QAction>
#include <QMenu>
#include <QVBoxLayout>

// The page's icons live in the GUI library's resources: register them before the first use.
static void initMailResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(mail);
        return true;
    }();
    (void)done;
}

namespace yx {

using namespace res;

namespace {

struct EntryText {
    const char* name;
    const char* remark;
    int icon;
};

const EntryText kEntries[SecureMailPage::kEntryCount] = {
    {"Outlook Express帐户管理", "配置安全邮件", IDI_MAIL_OE_ACCOUNTS},
    {"Outlook Express通讯簿管理", "设置安全证书", IDI_MAIL_OE_ADDRBOOK},
    {"FoxMail帐户管理", "配置安全邮件", IDI_MAIL_FOX_ACCOUNTS},
    {"FoxMail通讯簿管理", "设置安全证书", IDI_MAIL_FOX_ADDRBOOK},
    {"Thunderbird帐户管理", "配置安全邮件", IDI_MAIL_FOX_ACCOUNTS},
    {"Thunderbird通讯簿管理", "设置安全证书", IDI_MAIL_FOX_ADDRBOOK},
};

bool isAccountEntry(int entry) {
    return entry == SecureMailPage::EntryOeAccounts || entry == SecureMailPage::EntryFoxAccounts ||
           entry == SecureMailPage::EntryTbAccounts;
}

// Entries whose menus carry no batch configuration: the account lists.
bool hasNoBatch(int entry) {
    return isAccountEntry(entry);
}

bool isAddressBookEntry(int entry) {
    return entry == SecureMailPage::EntryOeContacts || entry == SecureMailPage::EntryFoxContacts ||
           entry == SecureMailPage::EntryTbContacts;
}

QString propertyText(CEmailAccount* account, int index) {
    CRegProperty* property = account ? account->getProperty(index) : nullptr;
    return property ? dlgkit::qstr(maildlg::bufferText(property->getBuf())) : QString();
}

QString propertyText(CContact* contact, int index) {
    COEWABProperty* property = contact ? contact->getProperty(index) : nullptr;
    return property ? QString::fromUtf8(property->getStrValue()) : QString();
}

MailListModel::ImageSet itemImages() {
    return {{art::icon(IDI_MAIL_ITEM_SMALL), art::icon(IDI_MAIL_ITEM_CERT_SMALL)},
            {art::icon(IDI_MAIL_ITEM_LARGE), art::icon(IDI_MAIL_ITEM_CERT_LARGE)}};
}

std::vector<MailListModel::Column> detailColumns(int entry) {
    const QString first = isAccountEntry(entry) ? QStringLiteral("邮件帐户") : QStringLiteral("联系人姓名");
    // Thunderbird's account names carry their profile's name: wider, so they are not cut short.
    return {{first, entry == SecureMailPage::EntryTbAccounts ? 200 : 120},
            {QStringLiteral("电子邮件地址"), 200}};
}

// The account's certificates again as certificates of its own store, which lives as long as the
// account (a dialog's choice lives only as long as the dialog).
void rebindToOwnStore(CEmailAccount* account) {
    const std::string sign = maildlg::thumbprint(account->getSignCert());
    const std::string crypt = maildlg::thumbprint(account->getCryptCert());
    CMyCertStore& own = account->getCertStore();
    own.OpenCertStore();
    account->setSignCert(sign.empty() ? nullptr : own.FindByThumb(sign));
    account->setCrytpCert(crypt.empty() ? nullptr : own.FindByThumb(crypt));
}

} // namespace

SecureMailPage::SecureMailPage(QWidget* parent)
    : Page(kPageSecureMail, IDD_SECURE_MAIL_PAGE, parent), m_thunderbird(std::make_unique<ThunderbirdMail>()),
      m_homeModel(new MailListModel(this)), m_detailModel(new MailListModel(this)) {
    initMailResources();
    m_home = new MailListView(IDC_MAIL_HOME_LIST, m_homeModel, this);
    m_detail = new MailListView(IDC_MAIL_DETAIL_LIST, m_detailModel, this);
    // The two lists lie on top of each other and fill the page; one shows at a time.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_home);
    layout->addWidget(m_detail);
    m_home->setMode(MailListView::Mode::LargeIcons);
    m_detail->setMode(MailListView::Mode::Details);
    m_detail->hide();
    setFocusProxy(m_home);

    connect(m_home, &MailListView::rowPressed, this, &SecureMailPage::onHomePressed);
    connect(m_detail, &MailListView::rowPressed, this, &SecureMailPage::onDetailPressed);
    connect(m_home, &MailListView::contextMenuRequested, this,
            [this](int row, const QPoint& pos) { onContextMenu(false, row, pos); });
    connect(m_detail, &MailListView::contextMenuRequested, this,
            [this](int row, const QPoint& pos) { onContextMenu(true, row, pos); });
    const auto openHome = [this](int row) {
        if (row < 0)
            return; // beside the items: nothing
        m_entry = row;
        onCommand(ID_MAIL_OPEN);
    };
    const auto configure = [this](int row) {
        if (row < 0)
            return;
        m_item = row;
        onCommand(ID_MAIL_CONFIGURE);
    };
    connect(m_home, &MailListView::rowDoubleClicked, this, openHome);
    connect(m_home, &MailListView::enterPressed, this, openHome);
    connect(m_detail, &MailListView::rowDoubleClicked, this, configure);
    connect(m_detail, &MailListView::enterPressed, this, configure);
    fillHome();
}

SecureMailPage::~SecureMailPage() = default;

QMenu* SecureMailPage::createOperationsMenu() {
    return menuBarOperations(false);
}

QMenu* SecureMailPage::createViewMenu() {
    QMenu* menu = loadCommonViewMenu();
    markViewMode(menu);
    return menu;
}

// Ticks the view command of the showing list's style, in the menu bar's view popup (the common
// ids) and in the page's own "查看" popups.
void SecureMailPage::markViewMode(QMenu* menu) const {
    if (!menu)
        return;
    const MailListView::Mode mode = showingList()->mode();
    const struct {
        int common, own;
        MailListView::Mode mode;
    } commands[] = {
        {ID_VIEW_LARGE_ICONS, ID_PAGE_VIEW_LARGE_ICONS, MailListView::Mode::LargeIcons},
        {ID_VIEW_SMALL_ICONS, ID_PAGE_VIEW_SMALL_ICONS, MailListView::Mode::SmallIcons},
        {ID_VIEW_LIST, ID_VIEW_LIST, MailListView::Mode::List},
        {ID_VIEW_DETAILS, ID_PAGE_VIEW_DETAILS, MailListView::Mode::Details},
    };
    for (const auto& c : commands) {
        for (int id : {c.common, c.own}) {
            if (QAction* action = menus::findCommand(menu, id)) {
                action->setCheckable(true);
                action->setChecked(c.mode == mode);
            }
        }
    }
}

void SecureMailPage::onActivate() {
    fillHome();
}

int SecureMailPage::batchCount() const {
    return static_cast<int>(m_oeBatch.size() + m_foxBatch.size() + m_tbBatch.size());
}

QMenu* SecureMailPage::menuBarOperations(bool chosen) const {
    if (!m_detailShowing) {
        if (chosen && hasNoBatch(m_entry))
            return menus::loadPopup(IDR_MAIL_ACCOUNT);
        if (chosen && isAddressBookEntry(m_entry))
            return menus::loadPopup(IDR_MAIL_ADDRBOOK);
        return loadPopupWithout(IDR_MAIL_HOME_SPACE, {0, 1}); // only "帮助"
    }
    if (chosen)
        return menus::loadPopup(IDR_MAIL_DETAIL_ITEM);
    // Without the "查看" popup; the account lists have no batch configuration.
    if (hasNoBatch(m_entry))
        return loadPopupWithout(IDR_MAIL_DETAIL_SPACE, {0, 1, 2});
    return loadPopupWithout(IDR_MAIL_DETAIL_SPACE, {2});
}

QMenu* SecureMailPage::contextMenu(bool chosen) const {
    if (!m_detailShowing) {
        if (!chosen)
            return menus::loadPopup(IDR_MAIL_HOME_SPACE);
        return menus::loadPopup(hasNoBatch(m_entry) ? IDR_MAIL_ACCOUNT : IDR_MAIL_ADDRBOOK);
    }
    if (chosen)
        return menus::loadPopup(IDR_MAIL_DETAIL_ITEM);
    if (hasNoBatch(m_entry))
        return loadPopupWithout(IDR_MAIL_DETAIL_SPACE, {0, 1});
    return menus::loadPopup(IDR_MAIL_DETAIL_SPACE);
}

bool SecureMailPage::onCommand(int id) {
    switch (id) {
    case ID_MAIL_OPEN:
        openEntry();
        return true;
    case ID_MAIL_CONFIGURE:
        configureItem();
        return true;
    case ID_MAIL_REFRESH:
        fillDetail();
        return true;
    case ID_MAIL_BACK:
        goHome();
        return true;
    case ID_MAIL_BATCH_SHOWN:
        if (m_detailShowing && isAddressBookEntry(m_entry))
            runBatch(m_entry, true);
        return true;
    case ID_MAIL_BATCH_ENTRY:
        if (isAddressBookEntry(m_entry)) {
            loadAddressBook(m_entry);
            runBatch(m_entry, false);
        }
        return true;
    case ID_PAGE_VIEW_LARGE_ICONS:
    case ID_PAGE_VIEW_SMALL_ICONS:
    case ID_VIEW_LIST:
    case ID_PAGE_VIEW_DETAILS:
        setViewMode(id);
        return true;
    default:
        return Page::onCommand(id);
    }
}

void SecureMailPage::fillHome() {
    m_detailShowing = false;
    MailListModel::ImageSet images;
    std::vector<MailListModel::Row> rows;
    for (int i = 0; i < kEntryCount; ++i) {
        const QIcon icon = art::icon(kEntries[i].icon);
        images.small.push_back(icon);
        images.large.push_back(icon);
        rows.push_back({{QString::fromUtf8(kEntries[i].name), QString::fromUtf8(kEntries[i].remark)}, i});
    }
    m_homeModel->reset({{QStringLiteral("名称"), 165}, {QStringLiteral("备注"), 150}}, std::move(images),
                       std::move(rows));
    m_detail->hide();
    m_home->show();
    setFocusProxy(m_home);
    markViewMode(currentViewMenu());
}

void SecureMailPage::goHome() {
    fillHome();
    mergeOperationsMenu(menuBarOperations(false));
}

void SecureMailPage::openEntry() {
    m_detailShowing = true;
    m_item = -1;
    m_home->hide();
    m_detail->show();
    setFocusProxy(m_detail);
    markViewMode(currentViewMenu());
    if (m_entry >= 0 && m_entry < kEntryCount)
        fillDetail();
    else
        m_detailModel->clear();
    mergeOperationsMenu(menuBarOperations(false));
}

void SecureMailPage::loadAddressBook(int entry, std::vector<MailListModel::Row>* tbRows) {
    m_oeBatch.clear();
    m_foxBatch.clear();
    m_tbBatch.clear();
    if (entry == EntryOeContacts) {
        m_oeBook.GetContacts();
        m_others.OpenCertStore();
        m_oeBatch = mail::batchList(m_oeBook, m_others);
    } else if (entry == EntryFoxContacts) {
        m_foxBook.GetContacts();
        m_foxBatch = mail::batchList(m_foxBook);
    } else if (entry == EntryTbContacts) {
        std::vector<MailListModel::Row> rows = m_thunderbird->contactRows();
        m_tbBatch = m_thunderbird->batchRows();
        if (tbRows)
            *tbRows = std::move(rows);
    }
}

void SecureMailPage::fillDetail() {
    std::vector<MailListModel::Row> rows;
    switch (m_entry) {
    case EntryOeAccounts:
        m_oeAccounts.getEmailAcc();
        for (int i = 0; i < m_oeAccounts.GetCount(); ++i) {
            CEmailAccount* account = m_oeAccounts.GetAt(i);
            rows.push_back({{propertyText(account, CEmailAccount::kAccountName),
                             propertyText(account, CEmailAccount::kEmailAddress)},
                            0});
        }
        break;
    case EntryOeContacts:
        loadAddressBook(m_entry);
        for (int i = 0; i < m_oeBook.GetCount(); ++i) {
            CContact* contact = m_oeBook.GetAt(i);
            rows.push_back({{propertyText(contact, CContact::kDisplayName),
                             propertyText(contact, CContact::kEmailAddress)},
                            contact && contact->getDefaultCert(&m_others) ? 1 : 0});
        }
        break;
    case EntryFoxAccounts:
        m_foxAccounts.getEmailAcc();
        for (int i = 0; i < m_foxAccounts.GetCount(); ++i) {
            CEmailAccount* account = m_foxAccounts.GetAt(i);
            rows.push_back({{propertyText(account, CEmailAccount::kAccountName),
                             propertyText(account, CEmailAccount::kEmailAddress)},
                            0});
        }
        break;
    case EntryFoxContacts:
        loadAddressBook(m_entry);
        for (int i = 0; i < m_foxBook.GetCount(); ++i) {
            CFoxmailContact* contact = m_foxBook.GetAt(i);
            rows.push_back({{dlgkit::qstr(contact->name()), dlgkit::qstr(contact->email())},
                            contact->hasCertFlag() ? 1 : 0});
        }
        break;
    case EntryTbAccounts:
        rows = m_thunderbird->accountRows();
        break;
    case EntryTbContacts:
        loadAddressBook(m_entry, &rows);
        break;
    default:
        return;
    }
    m_detailModel->reset(detailColumns(m_entry), itemImages(), std::move(rows));
}

void SecureMailPage::configureItem() {
    if (!m_detailShowing)
        return; // the item belongs to a detail list that is not showing
    switch (m_entry) {
    case EntryOeAccounts:
        if (CEmailAccount* account = m_oeAccounts.GetAt(m_item))
            configureOeAccount(account);
        break;
    case EntryOeContacts:
        if (CContact* contact = m_oeBook.GetAt(m_item))
            configureOeContact(contact);
        break;
    case EntryFoxAccounts:
        if (CEmailAccount* account = m_foxAccounts.GetAt(m_item))
            configureFoxAccount(account);
        break;
    case EntryFoxContacts:
        if (CFoxmailContact* contact = m_foxBook.GetAt(m_item))
            configureFoxContact(contact);
        break;
    case EntryTbAccounts:
        m_thunderbird->configureAccount(m_item, dialogParent());
        break;
    case EntryTbContacts:
        if (m_thunderbird->configureContact(m_item, dialogParent()))
            fillDetail();
        break;
    default:
        break;
    }
}

void SecureMailPage::configureOeAccount(CEmailAccount* account) {
    CDlgAccountCert dialog(account, dialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return;
    CDigitalCertificate* sign = dialog.GetSignCert();
    CDigitalCertificate* crypt = dialog.GetCryptCert();
    if (sign)
        account->setSignCert(sign);
    if (crypt)
        account->setCrytpCert(crypt);
    else if (sign && sign->isCryptUse())
        account->setCrytpCert(sign);
    m_oeAccounts.SaveEmailAcc(account); // a failed save is not reported
    rebindToOwnStore(account);
}

void SecureMailPage::configureOeContact(CContact* contact) {
    m_others.OpenCertStore();
    CDlgSetContactCert dialog(contact->getDefaultCert(&m_others),
                              propertyText(contact, CContact::kEmailAddress), dialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return;
    contact->SetDefaultCert(dialog.GetCert());
    m_oeBook.SaveContact(contact);
    fillDetail();
}

void SecureMailPage::configureFoxAccount(CEmailAccount* account) {
    CDlgAccountSignCert dialog(account, dialogParent());
    if (dialog.exec() != QDialog::Accepted || !dialog.GetSignCert())
        return;
    account->setSignCert(dialog.GetSignCert());
    m_foxAccounts.SaveEmailAcc(account);
    rebindToOwnStore(account);
}

void SecureMailPage::configureFoxContact(CFoxmailContact* contact) {
    CDlgSetContactCerts dialog(contact, dialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::vector<CDigitalCertificate*> certs;
    dialog.GetCerts(certs);
    contact->SetCerts(certs);
    m_foxBook.SaveContact(contact);
    fillDetail();
}

void SecureMailPage::runBatch(int entry, bool reloadAfter) {
    if (batchCount() == 0) {
        showMessage("可需要批量配置的联系人个数为零！", MsgIcon::Information, MsgButtons::Ok,
                    static_cast<QWidget*>(this));
        return;
    }
    const bool oe = entry == EntryOeContacts;
    const bool tb = entry == EntryTbContacts;
    std::unique_ptr<CDlgLdapBatchCon> dialog;
    if (tb) {
        std::vector<QString> names;
        std::vector<std::string> addresses;
        for (int row : m_tbBatch) {
            names.push_back(m_thunderbird->contactName(row));
            addresses.push_back(m_thunderbird->contactEmail(row));
        }
        dialog = std::make_unique<CDlgLdapBatchCon>(std::move(names), std::move(addresses), dialogParent());
    } else {
        dialog = oe ? std::make_unique<CDlgLdapBatchCon>(m_oeBatch, dialogParent())
                    : std::make_unique<CDlgLdapBatchCon>(m_foxBatch, dialogParent());
    }
    if (dialog->exec() != QDialog::Accepted) {
        if (reloadAfter)
            fillDetail();
        return;
    }
    std::vector<CDigitalCertificate*> chosen;
    for (int i = 0; i < dialog->contactCount(); ++i)
        chosen.push_back(dialog->GetChosenCert(i));
    int count = 0;
    if (oe) {
        bool importFailed = false;
        count = mail::applyBatch(m_oeBook, m_others, m_oeBatch, chosen, importFailed);
        if (importFailed) {
            showMessage("设置默认证书失败！", MsgIcon::Error, MsgButtons::Ok, static_cast<QWidget*>(this));
            if (reloadAfter)
                fillDetail();
            return;
        }
    } else if (tb) {
        count = m_thunderbird->applyBatch(m_tbBatch, chosen, dialogParent());
    } else {
        count = mail::applyBatch(m_foxBook, m_foxBatch, chosen);
    }
    const std::string text = "你共为" + std::to_string(count) + "个联系人配置了加密证书";
    showMessage(text, MsgIcon::Information, MsgButtons::Ok, static_cast<QWidget*>(this));
    if (reloadAfter)
        fillDetail();
}

void SecureMailPage::onHomePressed(int row) {
    if (row >= 0)
        m_entry = row;
    mergeOperationsMenu(menuBarOperations(row >= 0));
}

void SecureMailPage::onDetailPressed(int row) {
    if (row >= 0)
        m_item = row;
    mergeOperationsMenu(menuBarOperations(row >= 0));
}

void SecureMailPage::onContextMenu(bool detail, int row, const QPoint& globalPos) {
    if (detail)
        m_item = row;
    else
        m_entry = row;
    mergeOperationsMenu(menuBarOperations(row >= 0));
    QMenu* menu = contextMenu(row >= 0);
    markViewMode(menu);
    runContextMenu(menu, globalPos); // a chosen command arrives at onCommand()
}

void SecureMailPage::setViewMode(int command) {
    MailListView::Mode mode = MailListView::Mode::LargeIcons;
    if (command == ID_PAGE_VIEW_SMALL_ICONS)
        mode = MailListView::Mode::SmallIcons;
    else if (command == ID_VIEW_LIST)
        mode = MailListView::Mode::List;
    else if (command == ID_PAGE_VIEW_DETAILS)
        mode = MailListView::Mode::Details;
    showingList()->setMode(mode);
    markViewMode(currentViewMenu());
}

MailListView* SecureMailPage::showingList() const {
    return m_detailShowing ? m_detail : m_home;
}

QWidget* SecureMailPage::dialogParent() {
    return isVisible() ? window() : this;
}

} // namespace yx
