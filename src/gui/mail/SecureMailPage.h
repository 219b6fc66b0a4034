// The secure e-mail page: a home list with six entries (the accounts and the address book of the
// local "Outlook Express" data, of Foxmail and of Thunderbird) and a detail list with the accounts or
// contacts of the opened entry. From the detail list the user sets an account's certificates or a contact's
// encryption certificates, and configures at once every contact without a usable certificate
// from the directory (batch configuration).
//
// `entry` is the home item last clicked, right-clicked or double-clicked (-1 none); `item` the
// same for the detail list. The page owns the four collections for its lifetime and re-reads the
// one it shows at each fill.
#pragma once

#include "CertStore.h"
#include "FoxmailAddrBook.h"
#include "FoxmailEmailAcc.h"
#include "MailListModel.h"
#include "OEAddrBook.h"
#include "OEEmailAcc.h"
#include "pages/Page.h"

#include <memory>
#include <vector>

class CContact;
class CFoxmailContact;

namespace yx {

class MailListView;
class ThunderbirdMail;

class SecureMailPage : public Page {
    Q_OBJECT
public:
    enum Entry {
        EntryOeAccounts = 0,
        EntryOeContacts = 1,
        EntryFoxAccounts = 2,
        EntryFoxContacts = 3,
        EntryTbAccounts = 4,
        EntryTbContacts = 5,
    };
    static constexpr int kEntryCount = 6;

    explicit SecureMailPage(QWidget* parent = nullptr);
    ~SecureMailPage() override;

    bool onCommand(int id) override;

    bool showsDetail() const { return m_detailShowing; }
    int currentEntry() const { return m_entry; }
    int currentItem() const { return m_item; }
    MailListView* homeList() const { return m_home; }
    MailListView* detailList() const { return m_detail; }
    MailListModel* homeModel() const { return m_homeModel; }
    MailListModel* detailModel() const { return m_detailModel; }
    // Contacts of the address book last loaded that have no usable certificate.
    int batchCount() const;

    // The operations popup the menu bar gets in the page's present state (`chosen`: an entry or
    // item was hit), and the context menu for a hit in the showing list.
    QMenu* menuBarOperations(bool chosen) const;
    QMenu* contextMenu(bool chosen) const;

protected:
    QMenu* createOperationsMenu() override;
    QMenu* createViewMenu() override;
    void onActivate() override;

private:
    void fillHome();
    void openEntry();
    void fillDetail();
    // Loads the address book of `entry` and rebuilds the batch list; Thunderbird's contacts come as
    // rows, given to `tbRows` when wanted.
    void loadAddressBook(int entry, std::vector<MailListModel::Row>* tbRows = nullptr);
    void configureItem();
    void configureOeAccount(CEmailAccount* account);
    void configureOeContact(CContact* contact);
    void configureFoxAccount(CEmailAccount* account);
    void configureFoxContact(CFoxmailContact* contact);
    void runBatch(int entry, bool reloadAfter);
    void goHome();

    void onHomePressed(int row);
    void onDetailPressed(int row);
    void onContextMenu(bool detail, int row, const QPoint& globalPos);
    void setViewMode(int command);
    void markViewMode(QMenu* menu) const;
    MailListView* showingList() const;
    QWidget* dialogParent();

    COEAddrBook m_oeBook;
    COEEmailAcc m_oeAccounts;
    CFoxmailEmailAcc m_foxAccounts;
    CFoxmailAddrBook m_foxBook;
    COtherCertStore m_others;
    std::vector<CContact*> m_oeBatch;         // not owned: contacts of m_oeBook
    std::vector<CFoxmailContact*> m_foxBatch; // not owned: contacts of m_foxBook
    std::vector<int> m_tbBatch;               // rows of m_thunderbird's contacts
    std::unique_ptr<ThunderbirdMail> m_thunderbird;

    int m_entry = -1;
    int m_item = -1;
    bool m_detailShowing = false;
    MailListModel* m_homeModel;
    MailListModel* m_detailModel;
    MailListView* m_home;
    MailListView* m_detail;
};

} // namespace yx
