// CDlgLdapBatchCon: looks up, in the directory, the certificates of every contact of a batch list
// at once and lets the user choose, per contact, the one to use as its encryption certificate.
// The look-up runs on a worker thread owned by the dialog, joined before the dialog ends, while an
// animation plays; Cancel then only asks the worker to stop after the contact in progress (an
// atomic flag) and the dialog ends when it has. The worker reports progress and its end through
// queued signals; the found lists are read only after the end.
#pragma once

#include "BatchLookup.h"
#include "MailDialogIds.h"

#include <QDialog>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class CContact;
class CDigitalCertificate;
class CFoxmailContact;
class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;

namespace yx {
class AnimationControl;
class CertResultList;
} // namespace yx

class CDlgLdapBatchCon : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDD = yx::res::IDD_LDAP_BATCH_CON;
    enum ContactKind { kFoxmailContacts = 0, kOutlookExpressContacts = 1, kThunderbirdContacts = 2 };

    // The look-up as the worker runs it; the default is CBatchLookup::Run over directory host B.
    using LookupRun = std::function<CBatchLookup::Result(CBatchLookup&, const std::atomic<bool>& cancel,
                                                         const CBatchLookup::Progress&)>;

    // The contacts are borrowed and must not change while the dialog runs.
    CDlgLdapBatchCon(const std::vector<CFoxmailContact*>& contacts, QWidget* parent = nullptr);
    CDlgLdapBatchCon(const std::vector<CContact*>& contacts, QWidget* parent = nullptr);
    // Thunderbird's contacts: their names and addresses.
    CDlgLdapBatchCon(std::vector<QString> names, std::vector<std::string> addresses,
                     QWidget* parent = nullptr);
    ~CDlgLdapBatchCon() override;

    // Replaces the look-up (tests play a slow or failing directory); set before the dialog shows.
    void setLookupRun(LookupRun run) { m_run = std::move(run); }

    ContactKind kind() const { return m_kind; }
    int contactCount() const { return static_cast<int>(m_addresses.size()); }
    // After OK: the certificate chosen for contact i, null for none (and outside the list). The
    // certificates belong to the dialog.
    CDigitalCertificate* GetChosenCert(int contact) const;
    bool isSearching() const { return m_worker.joinable() && !m_finished; }
    bool searchFinished() const { return m_finished; }

signals:
    // From the worker thread, delivered queued.
    void lookupProgress(int done, int total);
    void lookupFinished(int result);

public slots:
    void reject() override;
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CDlgLdapBatchCon(ContactKind kind, std::vector<QString> names, std::vector<std::string> addresses,
                     QWidget* parent);
    void startLookup();
    void onFinished(int result);
    void selectContact(int row);
    void selectCert(int row, bool show);
    void arrangeControls(QDialogButtonBox* buttons);
    void makeDefault();
    void setCertButtons(bool enabled);
    void joinWorker();

    ContactKind m_kind;
    std::vector<QString> m_names;
    std::vector<std::string> m_addresses;
    std::unique_ptr<CBatchLookup> m_lookup; // owns the found certificates
    std::vector<CDigitalCertificate*> m_chosen;
    std::atomic<bool> m_cancel{false};
    bool m_finished = false;
    int m_contact = -1;
    int m_cert = -1;
    LookupRun m_run;
    std::thread m_worker;

    yx::CertResultList* m_contacts;
    yx::CertResultList* m_certs;
    yx::AnimationControl* m_animation;
    QLabel* m_busy;
    QLabel* m_progress;
    QLabel* m_certsLabel;
    QPushButton* m_view;
    QPushButton* m_makeDefault;
    QPushButton* m_ok;
    QPushButton* m_cancelButton;
    QCheckBox* m_option;
};
