#include "DlgLdapSearch.h"

#include "CertResultList.h"
#include "DigitalCertificate.h"
#include "DirectorySettings.h"
#include "dialogs/DialogKit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>

using namespace yx::dlgkit;
namespace res = yx::res;

namespace {

constexpr const char* kDirectoryCaption = "查找用户";

// Keeps the dialog's own list changes from counting as the user's selection.
class QuietList {
public:
    explicit QuietList(bool& flag) : m_flag(flag), m_old(flag) { m_flag = true; }
    ~QuietList() { m_flag = m_old; }
    QuietList(const QuietList&) = delete;
    QuietList& operator=(const QuietList&) = delete;

private:
    bool& m_flag;
    bool m_old;
};

} // namespace

// One search as the worker sees it. Whatever it found and nobody took goes with it, so an
// abandoned search cleans up after itself whenever its last holder lets go.
struct CDlgLdapSearch::Job {
    std::vector<std::string> hosts;
    std::string name;
    std::string email;
    int rc = -1;
    yx::OwnedCerts found;
    std::atomic<bool> abandoned{false}; // set by the UI thread, read by the worker between hosts
};

CDlgLdapSearch::CDlgLdapSearch(QWidget* parent)
    : QDialog(parent), m_hostA(yx::directory::hostA()), m_hostB(yx::directory::hostB()) {
    setObjectName(QString::number(IDD));
    setWindowTitle(QStringLiteral("添加证书到证书库"));

    QGridLayout* fields = createSearchFields();
    const int em = fontMetrics().height();

    m_list = withId(
        new yx::CertResultList({{QStringLiteral("姓名"), 200}, {QStringLiteral("邮件地址"), 200}}, this),
        res::IDC_LDAP_RESULTS);
    m_list->onDoubleClick = [this] { view(); };
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CDlgLdapSearch::onListChanged);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &CDlgLdapSearch::onListChanged);

    m_busy = new QProgressBar(this);
    m_busy->setObjectName(QLatin1String(res::kLdapBusyName));
    m_busy->setRange(0, 0); // indeterminate: the query reports no progress
    m_busy->setTextVisible(false);
    m_busy->setMaximumWidth(fontMetrics().height() * 8);
    QSizePolicy keepPlace = m_busy->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    m_busy->setSizePolicy(keepPlace);
    m_busy->hide();

    m_viewButton = browseButton(this, res::IDC_LDAP_VIEW, QStringLiteral("查看"));
    m_okButton = browseButton(this, res::IDOK, QStringLiteral("添加"));
    QPushButton* cancel = browseButton(this, res::IDCANCEL, QStringLiteral("取消"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_busy);
    bottom->addStretch(1);
    bottom->addWidget(m_viewButton);
    bottom->addWidget(m_okButton);
    bottom->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);

    connect(m_searchButton, &QPushButton::clicked, this, &CDlgLdapSearch::startSearch);
    connect(m_clearButton, &QPushButton::clicked, this, &CDlgLdapSearch::clearFields);
    connect(m_viewButton, &QPushButton::clicked, this, &CDlgLdapSearch::view);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &CDlgLdapSearch::searchFinished, this, &CDlgLdapSearch::onSearchFinished,
            Qt::QueuedConnection);

    setTabOrder(m_nameEdit, m_emailEdit);
    setTabOrder(m_emailEdit, m_serverList);
    setTabOrder(m_serverList, m_searchAllCheck);
    setTabOrder(m_searchAllCheck, m_searchButton);
    setTabOrder(m_searchButton, m_clearButton);
    setTabOrder(m_clearButton, m_list);
    setTabOrder(m_list, m_viewButton);
    setTabOrder(m_viewButton, m_okButton);
    setTabOrder(m_okButton, cancel);

    m_viewButton->setEnabled(false);
    m_okButton->setEnabled(false);

    resize(std::max(em * 36, 400 + em * 4), em * 26);
}

// The name and e-mail fields, the host choice and the search and clear buttons.
QGridLayout* CDlgLdapSearch::createSearchFields() {
    m_nameEdit = withId(new QLineEdit(this), res::IDC_LDAP_NAME);
    m_emailEdit = withId(new QLineEdit(this), res::IDC_LDAP_EMAIL);
    const int em = fontMetrics().height();
    m_nameEdit->setMinimumWidth(em * 10);
    m_emailEdit->setMinimumWidth(em * 10);
    m_serverList = withId(new QComboBox(this), res::IDC_LDAP_SERVER);
    m_serverList->addItem(QString::fromStdString(yx::directory::hostLabel(m_hostA)),
                          QString::fromStdString(m_hostA));
    m_serverList->addItem(QString::fromStdString(yx::directory::hostLabel(m_hostB)),
                          QString::fromStdString(m_hostB));
    m_serverList->setCurrentIndex(0);
    m_searchAllCheck = withId(new QCheckBox(QStringLiteral("全部搜索"), this), res::IDC_LDAP_SEARCH_ALL);
    m_searchButton = browseButton(this, res::IDC_LDAP_SEARCH, QStringLiteral("开始查找"));
    m_clearButton = browseButton(this, res::IDC_LDAP_CLEAR, QStringLiteral("全部清除 "));

    auto* nameLabel = new QLabel(QStringLiteral("姓    名"), this);
    nameLabel->setBuddy(m_nameEdit);
    auto* emailLabel = new QLabel(QStringLiteral("电子邮件"), this);
    emailLabel->setBuddy(m_emailEdit);
    auto* serverLabel = new QLabel(QStringLiteral("搜索范围"), this);
    serverLabel->setBuddy(m_serverList);

    auto* fields = new QGridLayout;
    fields->addWidget(nameLabel, 0, 0);
    fields->addWidget(m_nameEdit, 0, 1);
    fields->addWidget(serverLabel, 0, 2);
    fields->addWidget(m_serverList, 0, 3);
    fields->addWidget(m_searchButton, 0, 4);
    fields->addWidget(emailLabel, 1, 0);
    fields->addWidget(m_emailEdit, 1, 1);
    fields->addWidget(m_searchAllCheck, 1, 3);
    fields->addWidget(m_clearButton, 1, 4);
    fields->setColumnStretch(1, 3);
    fields->setColumnStretch(3, 2);
    return fields;
}

CDlgLdapSearch::~CDlgLdapSearch() {
    // A query is bounded in time; wait for it rather than leave a thread behind.
    waitForWorker();
    m_job.reset();
    deleteResults();
}

void CDlgLdapSearch::setDirectoryQuery(yx::directory::HostQuery query) {
    m_query = std::move(query);
}

CDigitalCertificate* CDlgLdapSearch::GetSelectedCert() const {
    if (m_selected < 0 || m_selected >= static_cast<int>(m_results.size()))
        return nullptr;
    return m_results[static_cast<size_t>(m_selected)].get();
}

void CDlgLdapSearch::startSearch() {
    m_viewButton->setEnabled(false);
    m_okButton->setEnabled(false);
    m_name = m_nameEdit->text();
    m_email = m_emailEdit->text();
    m_searchAll = m_searchAllCheck->isChecked();
    if (m_name.isEmpty() && m_email.isEmpty()) {
        say(this, "必须输入查询条件!", yx::MsgIcon::Warning);
        return;
    }

    m_selected = -1;
    deleteResults();
    {
        QuietList quiet(m_listQuiet);
        m_list->clear();
    }

    auto job = std::make_shared<Job>();
    if (m_searchAll)
        job->hosts = {m_hostA, m_hostB};
    else
        job->hosts = {utf8(m_serverList->currentData().toString())};
    job->name = utf8(m_name);
    job->email = utf8(m_email);

    waitForWorker(); // the previous worker has delivered its end already
    m_job = job;
    const int generation = ++m_generation;
    setBusy(true);
    m_worker = std::thread([this, job, query = m_query, generation] {
        // A host after the dialog has ended is not asked.
        const yx::directory::HostQuery eachHost = [&job,
                                                   &query](const std::string& host, const std::string& name,
                                                           const std::string& email, yx::OwnedCerts& found) {
            if (job->abandoned.load())
                return -1;
            try {
                if (query)
                    return query(host, name, email, found);
                return yx::directory::searchHosts({host}, name, email, found);
            } catch (...) {
                return -1; // a query must not take the program down
            }
        };
        job->rc = yx::directory::searchHosts(eachHost, job->hosts, job->name, job->email, job->found);
        emit searchFinished(generation);
    });
}

void CDlgLdapSearch::onSearchFinished(int generation) {
    if (generation != m_generation || !m_job)
        return;
    waitForWorker();
    const std::shared_ptr<Job> job = std::move(m_job);
    setBusy(false);
    if (job->abandoned)
        return; // the dialog was closed meanwhile; the certificates go with the job

    if (job->rc != 0) {
        say(this, "目录查询失败!", yx::MsgIcon::Warning, yx::MsgButtons::Ok, kDirectoryCaption);
        return;
    }
    m_results = std::move(job->found);
    if (m_results.empty()) {
        say(this, "目录服务中不存在与搜索条件相符的项!", yx::MsgIcon::Information, yx::MsgButtons::Ok,
            kDirectoryCaption);
        return;
    }
    QuietList quiet(m_listQuiet);
    for (const auto& cert : m_results)
        m_list->addRow({certText(cert.get(), &CDigitalCertificate::getDisplayName),
                        certText(cert.get(), &CDigitalCertificate::getEmail)});
}

// On every change of the list's items: the row under the mouse becomes the selection (a change by
// keyboard takes the current row).
void CDlgLdapSearch::onListChanged() {
    if (m_listQuiet)
        return;
    setSelected(m_list->changingByKeyboard() ? m_list->indexOfTopLevelItem(m_list->currentItem())
                                             : m_list->rowUnderCursor());
}

void CDlgLdapSearch::setSelected(int row) {
    if (row >= static_cast<int>(m_results.size()))
        row = -1;
    m_selected = row;
    m_viewButton->setEnabled(row >= 0);
    m_okButton->setEnabled(row >= 0);
}

// Results, selection and the OK button stay as they were.
void CDlgLdapSearch::clearFields() {
    m_nameEdit->clear();
    m_emailEdit->clear();
    m_name.clear();
    m_email.clear();
    {
        QuietList quiet(m_listQuiet);
        m_list->clear();
    }
    m_viewButton->setEnabled(false);
}

void CDlgLdapSearch::view() {
    if (CDigitalCertificate* cert = GetSelectedCert())
        cert->Display();
}

void CDlgLdapSearch::deleteResults() {
    m_results.clear();
}

void CDlgLdapSearch::setBusy(bool busy) {
    m_busy->setVisible(busy);
    // Disabling the focused search button would push the focus on; it comes back afterwards.
    if (busy)
        m_refocusSearch = focusWidget() == m_searchButton; // also before the window is active
    m_searchButton->setEnabled(!busy);
    if (!busy && m_refocusSearch) {
        m_refocusSearch = false;
        m_searchButton->setFocus(Qt::OtherFocusReason);
    }
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void CDlgLdapSearch::waitForWorker() {
    if (m_worker.joinable())
        m_worker.join();
}

// Enter anywhere searches: the focus goes to the search button and the key goes no further.
void CDlgLdapSearch::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        m_searchButton->setFocus(Qt::OtherFocusReason);
        if (!isSearching())
            startSearch();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// The close box lets go of the results at once.
void CDlgLdapSearch::closeEvent(QCloseEvent* event) {
    m_selected = -1;
    deleteResults();
    {
        QuietList quiet(m_listQuiet);
        m_list->clear();
    }
    QDialog::closeEvent(event);
}

void CDlgLdapSearch::done(int result) {
    if (m_job)
        m_job->abandoned = true; // its results are not shown once the dialog has ended
    setBusy(false);
    QDialog::done(result);
}
