// What the certificate page tests share: a menu bar the pages write into, clicks on the list, the
// people of the tests (certificates of every revocation status, CRLs on a loopback server), and
// the set-up of a page in a data root of its own.
#pragma once

#include "CertStore.h"
#include "DialogDriver.h"
#include "DigitalCertificate.h"
#include "GuiTestEnv.h"
#include "MenuResources.h"
#include "People.h"
#include "RecordingPrompt.h"
#include "ResourceIds.h"
#include "Revocation.h"
#include "Settings.h"
#include "pages/CertListModel.h"
#include "pages/CertListPage.h"
#include "pages/CertListView.h"

#include <QAbstractItemView>
#include <QMenuBar>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

namespace certpagetest {

using namespace yxtest;
using Pki = yxtest::People;
using Kind = yxtest::People::Kind;

// A menu bar like the frame's: positions 2 and 3 replaced by the current page.
class TestMenuBar : public yx::MenuBarHost {
public:
    TestMenuBar() {
        for (int i = 0; i < yx::menus::popupCount(yx::res::IDR_MAINFRAME); ++i)
            bar.addMenu(yx::menus::loadPopup(yx::res::IDR_MAINFRAME, i, &bar));
    }
    void replaceMenu(int position, QMenu* menu, const QString& title) override {
        QList<QAction*> actions = bar.actions();
        if (position < actions.size()) {
            QAction* old = actions[position];
            bar.removeAction(old);
            if (QMenu* oldMenu = old->menu(); oldMenu && oldMenu != menu)
                oldMenu->deleteLater();
        }
        menu->setParent(&bar, menu->windowFlags());
        menu->setTitle(title);
        actions = bar.actions();
        bar.insertMenu(position < actions.size() ? actions[position] : nullptr, menu);
    }
    QMenu* menuAt(int position) const override {
        const QList<QAction*> actions = bar.actions();
        return position >= 0 && position < actions.size() ? actions[position]->menu() : nullptr;
    }
    QMenuBar bar;
};

inline void leftClick(yx::CertListPage* page, int row) {
    QAbstractItemView* view = page->listView()->currentView();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(page->model()->index(row, 0)).center());
}

// The stores as the import dialogs fill them; 0 on success.
inline int addPersonal(const Issued& cert, const std::string& friendlyName = "") {
    return addToStore("my", cert, friendlyName.empty() ? std::nullopt : std::optional(friendlyName)) ? 0 : 1;
}
inline int addOther(const Issued& cert) {
    return addToStore("other", cert) ? 0 : 1;
}
inline int addCa(X509* cert) {
    CCaCertStore store;
    CDigitalCertificate c(yx::CertContext::fromX509(cert));
    return store.ImportCert(&c);
}

// Checks against the silent address wait for the timeouts; these keep the tests quick.
inline void shortRevocationTimeouts() {
    yx::revocationOptions().connectTimeoutMs = 1000;
    yx::revocationOptions().totalTimeoutMs = 2000;
}

inline void setOnlineChecks(bool on) {
    yx::settings::WriteProfileString("Common", "SartOnlineCRLCheck", on ? "1" : "0");
}

// A data root of its own, a prompt, a folder for files, the people (their CA in the CA store), a
// menu bar and the page under test, torn down in reverse order.
class PageTestBase {
protected:
    void setUpEnv() {
        env = std::make_unique<ScopedGuiEnv>();
        prompt = std::make_unique<RecordingPrompt>();
        files = std::make_unique<TempDir>();
        pki = std::make_unique<Pki>();
        pki->caIntoStore();
        bar = std::make_unique<TestMenuBar>();
    }
    void showPage(std::unique_ptr<yx::CertListPage> made) {
        page = std::move(made);
        page->setMenuBarHost(bar.get());
        page->resize(780, 360);
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    }
    void tearDown() {
        page.reset();
        bar.reset();
        pki.reset();
        files.reset();
        prompt.reset();
        env.reset();
    }

    std::unique_ptr<ScopedGuiEnv> env;
    std::unique_ptr<RecordingPrompt> prompt;
    std::unique_ptr<TempDir> files;
    std::unique_ptr<Pki> pki;
    std::unique_ptr<TestMenuBar> bar;
    std::unique_ptr<yx::CertListPage> page;
};

} // namespace certpagetest
