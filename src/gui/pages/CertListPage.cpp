#include "CertListPage.h"

#include "CertListChecker.h"
#include "CertListModel.h"
#include "CertPublishCommands.h"
#include "CertStore.h"
#include "DigitalCertificate.h"
#include "LocalPath.h"
#include "MenuResources.h"
#include "ResourceIds.h"
#include "Settings.h"
#include "dialogs/DialogKit.h"
#include "dialogs/DlgExportCert.h"
#include "dialogs/DlgFriendlyName.h"
#include "dialogs/DlgImportCert.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>

namespace yx {

using namespace res;

namespace {

constexpr int kMaxFriendlyName = 1023; // what the rename reads from the list cell

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

    connect(m_view, &CertListView::rowPressed, this, [this](int row) {
        if (!m_loading)
            setSelected(row, true);
    });
    connect(m_view, &CertListView::currentMovedByKeyboard, this, [this](int row) {
        if (!m_loading)
            setSelected(row, true);
    });
    connect(m_view, &CertListView::rowDoubleClicked, this, [this](int row) {
        if (!m_loading)
            openRow(row);
    });
    connect(m_view, &CertListView::contextMenuRequested, this, &CertListPage::showContextMenu);
    // The keyboard goes through the same commands as the menus, on the current row.
    connect(m_view, &CertListView::openKey, this, [this](int row) {
        if (m_loading || row < 0)
            return;
        setSelected(row, true);
        onCommand(ID_CERT_OPEN);
    });
    connect(m_view, &CertListView::deleteKey, this, [this](int row) {
        if (m_loading || row < 0)
            return;
        setSelected(row, true);
        onCommand(ID_CERT_DELETE);
    });
    connect(m_view, &CertListView::refreshKey, this, [this] { onCommand(ID_CERT_REFRESH); });
    connect(m_view, &CertListView::fileDropped, this, [this](const QString& path) {
        if (!m_loading)
            importFromFile(path);
    });
}

CertListPage::~CertListPage() = default;

void CertListPage::loadList() {
    if (m_loading)
        return;
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
    CertListChecker::run(this, contexts, online, [this, &rows](int i, const QString& status) {
        m_model->setStatus(rows[static_cast<size_t>(i)], status);
    });
}

bool CertListPage::onCommand(int id) {
    if (m_loading)
        return true; // the load ends before the page takes commands
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
    if (m_loading)
        return;
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
    m_loading = true;
    checkRows({m_selected}, true); // always online, whatever the setting
    m_loading = false;
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
