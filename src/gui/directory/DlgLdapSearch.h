// CDlgLdapSearch: searches the directory (LDAP) hosts for a person's certificates by name and/or
// e-mail address and returns the one the user selects. The look-up (yx::directory::searchHosts) runs
// on a worker thread owned by the dialog and joined before it ends, so the window stays responsive;
// the end comes back by a queued signal. The dialog owns the certificates it found.
#pragma once

#include "DirectorySearch.h"
#include "dialogs/DialogIds.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <string>
#include <thread>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace yx {
class CertResultList;
}

class CDlgLdapSearch : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDD = yx::res::IDD_LDAP_SEARCH;

    // Hosts A and B come from the directory settings.
    explicit CDlgLdapSearch(QWidget* parent = nullptr);
    ~CDlgLdapSearch() override;

    // Replaces the query of one host (the default asks the LDAP server); set before searching.
    // It runs on the worker thread.
    void setDirectoryQuery(yx::directory::HostQuery query);

    // After OK: the selected result (owned by this dialog), or null.
    CDigitalCertificate* GetSelectedCert() const;
    int selectedIndex() const { return m_selected; }
    bool isSearching() const { return m_worker.joinable(); }

signals:
    // From the worker: the search of `generation` has ended (delivered queued on the UI thread).
    void searchFinished(int generation);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

public slots:
    void done(int result) override;

private:
    struct Job;

    QGridLayout* createSearchFields();
    void startSearch();
    void onSearchFinished(int generation);
    void onListChanged();
    void setSelected(int row);
    void clearFields();
    void view();
    void deleteResults();
    void setBusy(bool busy);
    void waitForWorker();

    QLineEdit* m_nameEdit;
    QLineEdit* m_emailEdit;
    QCheckBox* m_searchAllCheck;
    QComboBox* m_serverList;
    QPushButton* m_searchButton;
    QPushButton* m_clearButton;
    QPushButton* m_viewButton;
    QPushButton* m_okButton;
    QProgressBar* m_busy;
    yx::CertResultList* m_list;

    yx::OwnedCerts m_results;
    int m_selected = -1;
    QString m_name;
    QString m_email;
    bool m_searchAll = false;
    std::string m_hostA;
    std::string m_hostB;

    yx::directory::HostQuery m_query; // empty: the LDAP server
    std::thread m_worker;
    std::shared_ptr<Job> m_job; // the running search; its certificates go with it unless taken
    int m_generation = 0;
    bool m_listQuiet = false; // list changes the dialog makes itself, not the user
    bool m_refocusSearch = false;
};
