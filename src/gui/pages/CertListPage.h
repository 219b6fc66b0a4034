// CertListPage: what the personal, other-people and CA pages share. One list (CertListView over a
// CertListModel of the page's store) fills the page; the user opens, exports, imports, deletes,
// renames and revocation-checks certificates from it. The pages differ only as their Traits say
// and in their import and export, which each page class supplies.
//
// `selected` is the row the user last clicked or right-clicked (or moved to with the keyboard),
// -1 for none; every command works on it alone, even when several rows are highlighted, and it
// keeps its value across reloads.
//
// A load reads the store on a worker (StoreStepLoader) and appends the rows in batches, so the
// first screen of a large store shows at once; the revocation status follows row by row. Rows
// already there take commands meanwhile; a refresh stops the load and starts it again. While a
// command's dialog is open no rows arrive, so a certificate the command holds stays valid.
#pragma once

#include "CertListView.h"

#include "Page.h"
#include "UserPrompt.h"
#include <QElapsedTimer>

#include <map>
#include <memory>
#include <optional>
#include <vector>

class CCertStore;
namespace yx {
class StoreStepLoader;
}
class CDigitalCertificate;

namespace yx {

class CertListModel;

class CertListPage : public Page {
    Q_OBJECT
public:
    // The differences between the three pages.
    struct Traits {
        int pageIndex;
        int dialogId;
        bool statusColumn;      // status column and the CRL check command
        bool canDelete;         // the delete command
        bool emptyBeforeOpen;   // load: empty the list, then open the store (else the reverse)
        int rowMenu;            // context menu over a row
        bool rowOpsWithoutPos4; // the operation menu is the row menu less its item at position 4
        int spaceMenu;          // context menu over empty space
    };

    // The messages of the DER certificate file export and import, which differ between pages.
    struct CertFileTexts {
        const char* exported;
        const char* exportFailed;
        const char* imported;
        const char* importBadFormat; // the store's 8
        const char* importFailed;
        // When set, the page checks the path the import dialog accepted once more.
        const char* importNoPath = nullptr;
        const char* importBadPath = nullptr;
    };

    ~CertListPage() override;

    const Traits& traits() const { return m_traits; }
    int selected() const { return m_selected; }
    bool isLoading() const { return m_loading; }
    CertListModel* model() const { return m_model; }
    CertListView* listView() const { return m_view; }
    CCertStore& store() const { return *m_store; }

    // Re-reads the store into the list, with the revocation status where the page shows it.
    // Returns at once; listLoaded() tells when it has ended. A load under way is restarted.
    void loadList();
    // Runs the event loop until the load under way has ended (at once when none is).
    void waitUntilLoaded();
    // Loads the whole store, then checks revocation, before returning (with a progress dialog
    // for online checks), the way loads went before: kept for comparison in the benchmark.
    static void setLoadWhole(bool whole);

    bool onCommand(int id) override;

    // Runs the page's import with `path` filled in (a certificate file from elsewhere).
    void importFile(const QString& path) { importFromFile(path); }

    // The operation menu in its row or no-selection form, as merged into the menu bar.
    QMenu* createOperationsMenu(bool rowForm) const;

signals:
    // A load has ended (also when the store could not be opened).
    void listLoaded();

protected:
    CertListPage(const Traits& traits, std::unique_ptr<CCertStore> store, QWidget* parent);

    QMenu* createOperationsMenu() override { return createOperationsMenu(false); }
    QMenu* createViewMenu() override;
    void onActivate() override { loadList(); }

    // The page's own flows. `path` prefills the import dialog (a dropped file), else empty.
    virtual void exportSelected(CDigitalCertificate& cert) = 0;
    virtual void importFromFile(const QString& path) = 0;
    // Commands only some pages have (importing from the directory); true when handled.
    virtual bool onPageCommand(int id) {
        (void)id;
        return false;
    }

    // The certificate of `selected`, null when it names no row of the store.
    CDigitalCertificate* selectedCert() const;
    // A message box with the caption "钥匣", owned by this page.
    MsgAnswer say(const char* text, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok);
    // Puts a dropped file's path into a dialog's path field before the dialog runs.
    static void prefillPath(QWidget* dialog, int controlId, const QString& path);
    // The export path with `ext` (".pfx", ".cer") appended unless it already ends so (any case).
    static QString withExtension(const QString& path, const QString& ext);

    // Asks with the export dialog where to, appends ".cer" and writes `cert` there as DER.
    void exportCertFile(CDigitalCertificate& cert, const CertFileTexts& texts);
    // Asks with the import dialog (prefilled with `path`) for a certificate file, imports it with
    // `importInto` (into a store of its own, returning the store's result) and reloads the list.
    void importCertFile(const QString& path, const CertFileTexts& texts, int (*importInto)(const char* file));

private:
    void setSelected(int row, bool mergeMenu);
    void showContextMenu(int row, const QPoint& globalPos);
    void openRow(int row);
    void deleteSelected();
    void checkSelected();
    void renameSelected();
    void setViewMode(CertListView::Mode mode);
    void markViewMode(QMenu* menu) const;
    // CRL checks of store rows, results into the status column.
    void checkRows(const std::vector<int>& rows, bool online);
    void loadWhole();
    // Takes what the loader has read so far into the store and the list.
    void takeLoaded();
    // Empties the list and the store; the certificates they held are released later.
    void emptyList();
    void releaseRetired();
    void endLoad();

    Traits m_traits;
    std::unique_ptr<CCertStore> m_store;
    CertListModel* m_model;
    CertListView* m_view;
    int m_selected = -1;
    bool m_loading = false;
    int m_commandDepth = 0;    // commands running (their dialogs may spin the event loop)
    QElapsedTimer m_sinceStep; // since the last step of the load under way
    bool m_stepQueued = false;
    std::unique_ptr<StoreStepLoader> m_loader;
    // Stopped loads whose worker may still be inside one check (a CRL fetch waits for its
    // time-out): a refresh does not wait for them; they are joined once done, or with the page.
    std::vector<std::unique_ptr<StoreStepLoader>> m_stopped;
    std::vector<std::unique_ptr<CDigitalCertificate>> m_retired; // a previous load's, to release
    // What revocation checks found while the load ran (by certificate): newer than the load's.
    std::map<std::vector<unsigned char>, QString> m_checkedWhileLoading;
    // Friendly names given while the load ran (by certificate): the load may have read the old one.
    std::map<std::vector<unsigned char>, std::optional<std::string>> m_renamedWhileLoading;
};

} // namespace yx
