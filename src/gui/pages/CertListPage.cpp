#include "CertListPage.h"

#include "CertListChecker.h"
#include "CertListModel.h"
#include "CertStore.h"
#include "DigitalCertificate.h"
#include "LocalPath.h"
#include "MenuResources.h"
#include "ResourceIds.h"
#include "Settings.h"
#include "StoreStepLoader.h"
#include "certfiles/DlgExportCert.h"
#include "certfiles/DlgImportCert.h"
#include "dialogs/DialogKit.h"
#include "dialogs/DlgFriendlyName.h"
#include "publish/CertPublishCommands.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace yx {

using namespace res;

namespace {

constexpr int kMaxFriendlyName = 1023; // what the rename reads from the list cell
// The worker hands entries over in small batches; the page takes all that have arrived whenever
// it gets to it, so the first screen comes early and later steps grow with the UI's pace.
constexpr size_t kLoadBatch = 20;
constexpr int kRetryMs = 30; // a step waiting for a command to end looks again then
// After the first step, steps come at most this often: each costs the view a layout of all rows.
constexpr int kStepMs = 100;
// The previous load's certificates are released after the load, this many at a time between
// other events: all at once, those of a large store would hold up the first screen of the new
// load, and meanwhile they would take the time the load needs.
constexpr size_t kReleaseSlice = 200;
bool g_loadWhole = false;

// Counts a command while it runs, so that no step of a load changes the rows under it.
class CommandScope {
public:
    explicit CommandScope(int& depth) : m_depth(depth) { ++m_depth; }
    ~CommandScope() { --m_depth; }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

private:
    int& m_depth;
};

using dlgkit::utf8;

struct ViewCommand {
    int id;
    CertListView::Mode mode;
};
constexpr ViewCommand kViewCommands[] = {
    {ID_VIEW_LARGE_ICONS, CertListView::Mode::LargeIcons},
    {ID_VIEW_SMALL_ICONS, CertListView::Mode::SmallIcons},
    {ID_VIEW_LIST, CertListView::Mode::List},
    {ID_VIEW_DETAILS, CertListView::Mode::Details},
};

} // namespace

CertListPage::CertListPage(const Traits& traits, std::unique_ptr<CCertStore> store, QWidget* parent)
    : Page(traits.pageIndex, traits.dialogId, parent), m_traits(traits), m_store(std::move(store)),
      m_model(new CertListModel(traits.statusColumn, this)), m_view(new CertListView(this)) {
    m_view->setModel(m_model);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view); // the list always fills the page
    setFocusProxy(m_view);

    connect(m_view, &CertListView::rowPressed, this, [this](int row) { setSelected(row, true); });
    connect(m_view, &CertListView::currentMovedByKeyboard, this, [this](int row) { setSelected(row, true); });
    connect(m_view, &CertListView::rowDoubleClicked, this, [this](int row) {
        CommandScope scope(m_commandDepth);
        openRow(row);
    });
    connect(m_view, &CertListView::contextMenuRequested, this, &CertListPage::showContextMenu);
    // The keyboard goes through the same commands as the menus, on the current row.
    connect(m_view, &CertListView::openKey, this, [this](int row) {
        if (row < 0)
            return;
        setSelected(row, true);
        onCommand(ID_CERT_OPEN);
    });
    connect(m_view, &CertListView::deleteKey, this, [this](int row) {
        if (row < 0)
            return;
        setSelected(row, true);
        onCommand(ID_CERT_DELETE);
    });
    connect(m_view, &CertListView::refreshKey, this, [this] { onCommand(ID_CERT_REFRESH); });
    connect(m_view, &CertListView::fileDropped, this, [this](const QString& path) {
        CommandScope scope(m_commandDepth);
        importFromFile(path);
    });
}

CertListPage::~CertListPage() = default; // the loaders' workers are stopped and joined here

void CertListPage::setLoadWhole(bool whole) {
    g_loadWhole = whole;
}

void CertListPage::loadList() {
    std::erase_if(m_stopped, [](const auto& loader) { return loader->workerDone(); });
    if (m_loader) { // a load under way stops here
        m_loader->cancel();
        m_stopped.push_back(std::move(m_loader));
    }
    if (g_loadWhole) {
        loadWhole();
        return;
    }
    m_loading = true;
    m_checkedWhileLoading.clear();
    m_renamedWhileLoading.clear();
    m_sinceStep.invalidate();
    if (m_traits.emptyBeforeOpen)
        emptyList();
    // Otherwise the old rows stay until the store turns out readable.
    StoreStepLoader::Options options;
    options.batchSize = kLoadBatch;
    options.checkRevocation = m_traits.statusColumn;
    options.online = m_traits.statusColumn && settings::onlineCrlCheck();
    m_loader = std::make_unique<StoreStepLoader>(m_store->backend(), options, [this] {
        // On the worker: the call is queued to this page, and dropped if the page is gone.
        QMetaObject::invokeMethod(this, &CertListPage::takeLoaded, Qt::QueuedConnection);
    });
}

void CertListPage::takeLoaded() {
    if (!m_loader)
        return; // a wake-up of a load that was stopped
    if (m_commandDepth > 0) {
        QTimer::singleShot(kRetryMs, this, &CertListPage::takeLoaded);
        return;
    }
    if (m_sinceStep.isValid() && m_sinceStep.elapsed() < kStepMs) {
        if (!m_stepQueued) {
            m_stepQueued = true;
            QTimer::singleShot(kStepMs - static_cast<int>(m_sinceStep.elapsed()), this, [this] {
                m_stepQueued = false;
                takeLoaded();
            });
        }
        return;
    }
    m_sinceStep.start();
    StoreStepLoader::Step step = m_loader->take();
    if (step.opened && !m_traits.emptyBeforeOpen)
        emptyList();
    if (!step.entries.empty()) {
        std::vector<CertContextPtr> contexts;
        contexts.reserve(step.entries.size());
        for (const auto& e : step.entries)
            contexts.push_back(e.ctx);
        for (const auto& [der, name] : m_renamedWhileLoading) // rarely any: looked up by the few
            for (const auto& ctx : contexts)
                if (ctx->der == der)
                    ctx->friendlyName = name;
        m_store->appendEntries(step.entries);
        m_model->appendRows(contexts);
    }
    if (!step.statuses.empty()) {
        const int from = static_cast<int>(step.statusFrom);
        std::vector<QString> texts;
        texts.reserve(step.statuses.size());
        for (const auto& status : step.statuses)
            texts.push_back(QString::fromUtf8(status.data(), static_cast<qsizetype>(status.size())));
        // A check the user ran while the load went on is newer than what the load found.
        for (size_t i = 0; i < texts.size() && !m_checkedWhileLoading.empty(); ++i) {
            CDigitalCertificate* cert = m_store->getCert(from + static_cast<int>(i));
            if (const auto checked = cert && cert->getPCCERT()
                                         ? m_checkedWhileLoading.find(cert->getPCCERT()->der)
                                         : m_checkedWhileLoading.end();
                checked != m_checkedWhileLoading.end())
                texts[i] = checked->second;
        }
        m_model->setStatuses(from, texts);
    }
    if (step.finished)
        endLoad();
}

void CertListPage::emptyList() {
    m_model->clear();
    auto previous = m_store->beginStepOpen();
    std::move(previous.begin(), previous.end(), std::back_inserter(m_retired));
}

void CertListPage::releaseRetired() {
    const size_t keep = m_retired.size() - std::min(m_retired.size(), kReleaseSlice);
    m_retired.erase(m_retired.begin() + static_cast<std::ptrdiff_t>(keep), m_retired.end());
    if (!m_retired.empty() && !m_loader) // a new load goes first: its end takes up the rest
        QTimer::singleShot(0, this, &CertListPage::releaseRetired);
}

void CertListPage::endLoad() {
    m_loader.reset();
    m_loading = false;
    m_checkedWhileLoading.clear();
    m_renamedWhileLoading.clear();
    if (!m_retired.empty())
        QTimer::singleShot(0, this, &CertListPage::releaseRetired);
    m_view->rowsLoaded();
    emit listLoaded();
}

void CertListPage::waitUntilLoaded() {
    while (m_loader)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void CertListPage::loadWhole() {
    m_loading = true;
    bool opened = false;
    if (m_traits.emptyBeforeOpen) {
        m_model->clear();
        opened = m_store->OpenCertStore() == 0;
    } else {
        // A store that cannot be opened leaves the old rows in place.
        opened = m_store->OpenCertStore() == 0;
    }
    if (opened) {
        m_model->fill(*m_store);
        if (m_traits.statusColumn) {
            std::vector<int> rows(static_cast<size_t>(m_model->rowCount()));
            for (size_t i = 0; i < rows.size(); ++i)
                rows[i] = static_cast<int>(i);
            checkRows(rows, settings::onlineCrlCheck());
        }
    }
    m_loading = false;
    emit listLoaded();
}

void CertListPage::checkRows(const std::vector<int>& rows, bool online) {
    std::vector<CertContextPtr> contexts;
    contexts.reserve(rows.size());
    for (int row : rows) {
        CDigitalCertificate* cert = m_store->getCert(row);
        contexts.push_back(cert ? cert->getPCCERT() : nullptr);
    }
    CertListChecker::run(this, contexts, online, [this, &rows, &contexts](int i, const QString& status) {
        if (m_loader && contexts[static_cast<size_t>(i)])
            m_checkedWhileLoading[contexts[static_cast<size_t>(i)]->der] = status;
        m_model->setStatus(rows[static_cast<size_t>(i)], status);
    });
}

bool CertListPage::onCommand(int id) {
    CommandScope scope(m_commandDepth);
    switch (id) {
    case ID_CERT_OPEN:
        openRow(m_selected);
        return true;
    case ID_CERT_EXPORT:
        if (CDigitalCertificate* cert = selectedCert())
            exportSelected(*cert);
        return true;
    case ID_CERT_DELETE:
        if (!m_traits.canDelete)
            return false;
        deleteSelected();
        return true;
    case ID_CERT_REFRESH:
        loadList();
        return true;
    case ID_CERT_CRL_CHECK:
        if (!m_traits.statusColumn)
            return false;
        checkSelected();
        return true;
    case ID_CERT_PROPERTIES:
        renameSelected();
        return true;
    case ID_CERT_IMPORT:
        importFromFile(QString());
        return true;
    default:
        break;
    }
    for (const ViewCommand& v : kViewCommands) {
        if (v.id == id) {
            setViewMode(v.mode);
            return true;
        }
    }
    if (publishcmd::handles(id)) {
        publishcmd::run(id, m_traits.pageIndex, selectedCert(), this);
        return true;
    }
    if (onPageCommand(id))
        return true;
    return Page::onCommand(id);
}

QMenu* CertListPage::createOperationsMenu(bool rowForm) const {
    if (!rowForm)
        return loadPopupWithout(m_traits.spaceMenu, {4}); // less the "查看" popup
    // Less the separator after "删除..." where the traits say so.
    QMenu* menu = m_traits.rowOpsWithoutPos4 ? loadPopupWithout(m_traits.rowMenu, {4})
                                             : menus::loadPopup(m_traits.rowMenu);
    publishcmd::addTo(menu);
    return menu;
}

QMenu* CertListPage::createViewMenu() {
    QMenu* menu = loadCommonViewMenu();
    markViewMode(menu);
    return menu;
}

void CertListPage::markViewMode(QMenu* menu) const {
    if (!menu)
        return;
    for (const ViewCommand& v : kViewCommands) {
        if (QAction* action = menus::findCommand(menu, v.id)) {
            action->setCheckable(true);
            action->setChecked(v.mode == m_view->mode());
        }
    }
}

void CertListPage::setSelected(int row, bool mergeMenu) {
    m_selected = row;
    if (mergeMenu)
        mergeOperationsMenu(createOperationsMenu(row >= 0));
}

void CertListPage::showContextMenu(int row, const QPoint& globalPos) {
    CommandScope scope(m_commandDepth);
    setSelected(row, false);
    QMenu* menu = menus::loadPopup(row >= 0 ? m_traits.rowMenu : m_traits.spaceMenu, 0, this);
    if (row >= 0)
        publishcmd::addTo(menu);
    markViewMode(menu);
    runContextMenu(menu, globalPos); // a chosen command arrives at onCommand()
    mergeOperationsMenu(createOperationsMenu(row >= 0));
}

CDigitalCertificate* CertListPage::selectedCert() const {
    if (m_selected < 0 || m_selected >= m_store->GetCertCount())
        return nullptr; // none, or a row a reload took away
    return m_store->getCert(m_selected);
}

void CertListPage::openRow(int row) {
    if (row < 0 || row >= m_store->GetCertCount())
        return;
    if (CDigitalCertificate* cert = m_store->getCert(row))
        cert->Display();
}

void CertListPage::deleteSelected() {
    if (!selectedCert())
        return;
    if (say("您确信删除您的证书吗？", MsgIcon::Warning, MsgButtons::OkCancel) != MsgAnswer::Ok)
        return;
    m_store->Remove(m_selected); // nothing is reported, whatever the store says
    loadList();
}

void CertListPage::checkSelected() {
    if (!selectedCert())
        return;
    checkRows({m_selected}, true); // always online, whatever the setting
}

void CertListPage::renameSelected() {
    CDigitalCertificate* cert = selectedCert();
    if (!cert)
        return;
    const int row = m_selected;
    CDlgFriendlyName dialog(m_model->text(row, CertListModel::ColFriendlyName).left(kMaxFriendlyName), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::string name = utf8(dialog.name());
    cert->setFriendlyName(name); // an empty name removes it; the result is not reported
    m_model->setFriendlyName(row, dialog.name());
    if (m_loader && cert->getPCCERT())
        m_renamedWhileLoading[cert->getPCCERT()->der] = cert->getPCCERT()->friendlyName;
}

void CertListPage::setViewMode(CertListView::Mode mode) {
    m_view->setMode(mode);
    markViewMode(currentViewMenu());
}

MsgAnswer CertListPage::say(const char* text, MsgIcon icon, MsgButtons buttons) {
    return showMessage(text, icon, buttons, static_cast<QWidget*>(this));
}

void CertListPage::prefillPath(QWidget* dialog, int controlId, const QString& path) {
    if (path.isEmpty())
        return;
    if (auto* edit = dialog->findChild<QLineEdit*>(QString::number(controlId)))
        edit->setText(path);
}

QString CertListPage::withExtension(const QString& path, const QString& ext) {
    return path.endsWith(ext, Qt::CaseInsensitive) ? path : path + ext;
}

void CertListPage::exportCertFile(CDigitalCertificate& cert, const CertFileTexts& texts) {
    CDlgExportCert dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString path = withExtension(dialog.path(), QStringLiteral(".cer"));
    if (cert.ExportDerFile(utf8(path).c_str()) == 0)
        say(texts.exported, MsgIcon::Information);
    else
        say(texts.exportFailed, MsgIcon::Error);
}

void CertListPage::importCertFile(const QString& prefilled, const CertFileTexts& texts,
                                  int (*importInto)(const char* file)) {
    CDlgImportCert dialog(this);
    prefillPath(&dialog, IDC_CERTDLG_PATH, prefilled);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString path = dialog.path();
    if (texts.importNoPath && path.isEmpty()) {
        say(texts.importNoPath, MsgIcon::Warning);
        return;
    }
    if (texts.importBadPath && !dlgkit::pathExists(path)) {
        say(texts.importBadPath, MsgIcon::Error);
        return;
    }
    const int rc = importInto(utf8(path).c_str());
    if (rc == 0)
        say(texts.imported, MsgIcon::Information);
    else if (rc == 8)
        say(texts.importBadFormat, MsgIcon::Error);
    else
        say(texts.importFailed, MsgIcon::Error);
    loadList();
}

} // namespace yx
