// Shared pieces of the certificate page tests: a menu bar the pages write into, driving modal
// dialogs and popup menus by control and command id, and a small PKI whose certificates reach
// every revocation status (a CA, CRLs on a loopback server, a forged CRL, a silent address).
#pragma once

#include "CertStore.h"
#include "DigitalCertificate.h"
#include "GuiTestEnv.h"
#include "HttpTestServer.h"
#include "MenuResources.h"
#include "RecordingPrompt.h"
#include "ResourceIds.h"
#include "Revocation.h"
#include "Settings.h"
#include "TestPki.h"
#include "pages/CertListModel.h"
#include "pages/CertListPage.h"
#include "pages/CertListView.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <openssl/x509v3.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace certpagetest {

using yxtest::RecordingPrompt;

// Keeps the DER of every certificate the viewer was started on (the file goes when it closes).
class ViewerPrompt : public RecordingPrompt {
public:
    int runProgram(const std::vector<std::string>& argv, bool wait) override {
        if (!argv.empty())
            viewed.push_back(yxtest::readFile(argv.back()));
        return RecordingPrompt::runProgram(argv, wait);
    }
    std::vector<yxtest::Bytes> viewed;
};

inline QString u(const std::string& s) {
    return QString::fromUtf8(s.c_str());
}

// A menu bar like the frame's: five popups, positions 2 and 3 replaced by the current page.
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
        ++replacements;
    }
    QMenu* menuAt(int position) const override {
        const QList<QAction*> actions = bar.actions();
        return position >= 0 && position < actions.size() ? actions[position]->menu() : nullptr;
    }
    QString titleAt(int position) const {
        const QList<QAction*> actions = bar.actions();
        return position >= 0 && position < actions.size() ? actions[position]->text() : QString();
    }
    QMenuBar bar;
    int replacements = 0;
};

// A menu's items, one string each: the command id and text, "-" for a separator, "[title]" for a
// submenu followed by its items indented.
inline QStringList describe(const QMenu* menu, const QString& indent = QString()) {
    QStringList out;
    if (!menu)
        return {QStringLiteral("<no menu>")};
    for (QAction* a : menu->actions()) {
        if (a->isSeparator())
            out << indent + QStringLiteral("-");
        else if (a->menu())
            out << indent + QStringLiteral("[%1]").arg(a->text())
                << describe(a->menu(), indent + QStringLiteral("  "));
        else
            out << indent + QStringLiteral("%1 %2").arg(yx::menus::commandId(a)).arg(a->text());
    }
    return out;
}

// Runs `fn` on the next modal dialog once it is up (polling; gives up after `timeoutMs`).
inline void onNextModal(std::function<void(QDialog*)> fn, QWidget* notThis = nullptr, int timeoutMs = 10000) {
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, fn, notThis, timeoutMs] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog && dialog != notThis && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            fn(dialog);
        } else if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

inline void setField(QWidget* dialog, int id, const QString& text) {
    auto* edit = dialog->findChild<QLineEdit*>(QString::number(id));
    QVERIFY2(edit, qPrintable(QStringLiteral("no edit %1").arg(id)));
    edit->setText(text);
}

inline QString field(QWidget* dialog, int id) {
    auto* edit = dialog->findChild<QLineEdit*>(QString::number(id));
    return edit ? edit->text() : QStringLiteral("<no edit>");
}

inline void click(QWidget* dialog, int id) {
    auto* button = dialog->findChild<QPushButton*>(QString::number(id));
    QVERIFY2(button, qPrintable(QStringLiteral("no button %1").arg(id)));
    button->click();
}

// Fills fields of the next modal dialog and presses OK ("1") or Cancel ("2").
inline void answerNextDialog(std::vector<std::pair<int, QString>> fields, bool ok = true,
                             std::shared_ptr<QString> seenTitle = nullptr) {
    onNextModal([fields, ok, seenTitle](QDialog* dialog) {
        if (seenTitle)
            *seenTitle = dialog->objectName() + QLatin1Char(' ') + dialog->windowTitle();
        for (const auto& [id, text] : fields)
            setField(dialog, id, text);
        click(dialog, ok ? yx::res::IDOK : yx::res::IDCANCEL);
    });
}

// Chooses an item of the next popup menu: `path` names submenus by title, then the command id.
inline void chooseInNextPopup(QStringList submenus, int commandId,
                              std::shared_ptr<QStringList> seen = nullptr, int timeoutMs = 5000) {
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [=] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible()) {
            if (clock->elapsed() > timeoutMs) {
                timer->stop();
                timer->deleteLater();
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        if (seen)
            *seen = describe(menu);
        QMenu* current = menu;
        for (const QString& title : submenus) {
            QMenu* next = nullptr;
            for (QAction* a : current->actions())
                if (a->menu() && a->text() == title)
                    next = a->menu();
            if (!next) {
                menu->close();
                return;
            }
            current->setActiveAction(next->menuAction());
            QTest::keyClick(current, Qt::Key_Right); // opens the submenu
            current = next;
        }
        if (commandId < 0) {
            menu->close();
            return;
        }
        QAction* action = yx::menus::findCommand(current, commandId);
        if (!action) {
            menu->close();
            return;
        }
        current->setActiveAction(action);
        QTest::keyClick(current, Qt::Key_Return);
    });
    timer->start();
}

// A right click at a row (or at empty space when row < 0) of the page's current view.
inline void rightClick(yx::CertListPage* page, int row) {
    QAbstractItemView* view = page->listView()->currentView();
    QPoint pos(view->viewport()->width() - 4, view->viewport()->height() - 4);
    if (row >= 0)
        pos = view->visualRect(page->model()->index(row, 0)).center();
    QTest::mousePress(view->viewport(), Qt::RightButton, {}, pos);
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, view->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(view->viewport(), &event);
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, pos);
}

inline void leftClick(yx::CertListPage* page, int row) {
    QAbstractItemView* view = page->listView()->currentView();
    QPoint pos(view->viewport()->width() - 4, view->viewport()->height() - 4);
    if (row >= 0)
        pos = view->visualRect(page->model()->index(row, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, pos);
}

// Certificates of every revocation status, issued by a CA that sits in the CA store.
struct Pki {
    Pki() : otherCa("钥匣测试外部CA", 3) {
        crlUrl = server.url("/root.crl");
        forgedUrl = server.url("/forged.crl");
        deadUrl = "http://127.0.0.1:" + std::to_string(yxtest::HttpTestServer::closedPort()) + "/gone.crl";
        CCaCertStore caStore;
        CDigitalCertificate caCert(yx::CertContext::fromX509(ca.cert()));
        caStore.ImportCert(&caCert);
    }

    enum class Kind { Good, Revoked, Unknown, Error, NoCrl };

    yxtest::Issued make(const std::string& cn, Kind kind, const std::string& email = "",
                        long daysLeft = 365) {
        yxtest::CertProfile profile;
        profile.cn = cn;
        profile.email = email;
        profile.notAfterOffset = daysLeft * 86400;
        profile.keyUsage = KU_DIGITAL_SIGNATURE | KU_KEY_ENCIPHERMENT;
        switch (kind) {
        case Kind::Good:
        case Kind::Revoked:
            profile.crlUrls = {crlUrl};
            break;
        case Kind::Unknown:
            profile.crlUrls = {deadUrl};
            break;
        case Kind::Error:
            profile.crlUrls = {forgedUrl};
            break;
        case Kind::NoCrl:
            break;
        }
        yxtest::Issued issued = ca.issue(profile);
        if (kind == Kind::Revoked)
            revoked.push_back(yx::X509Ptr(X509_dup(issued.cert.get())));
        return issued;
    }

    // Publishes the CRLs (call after the certificates are made).
    void publish() {
        std::vector<X509*> list;
        for (auto& r : revoked)
            list.push_back(r.get());
        server.setBody("/root.crl", ca.crlDer(list));
        yx::EvpPkeyPtr wrong = yxtest::pooledKey(4);
        server.setBody("/forged.crl", ca.forgedCrlDer(wrong.get()));
    }

    // Puts a certificate with its key into the personal store (friendly name optional).
    static int addPersonal(const yxtest::Issued& cert, const std::string& dir,
                           const std::string& friendlyName = "") {
        const auto pfx =
            yxtest::makePfx(cert.key.get(), cert.cert.get(), {}, "pw", yxtest::PfxKind::TripleDes,
                            friendlyName.empty() ? std::nullopt : std::optional<std::string>(friendlyName));
        static int n = 0;
        const std::string path = yxtest::writeFile(dir, "add" + std::to_string(++n) + ".pfx", pfx);
        CMyCertStore store;
        return store.ImportP12("", path.c_str(), "pw");
    }

    static int addOther(const yxtest::Issued& cert) {
        COtherCertStore store;
        CDigitalCertificate c(yx::CertContext::fromX509(cert.cert.get()));
        return store.ImportCert(&c);
    }

    static int addCa(X509* cert) {
        CCaCertStore store;
        CDigitalCertificate c(yx::CertContext::fromX509(cert));
        return store.ImportCert(&c);
    }

    yxtest::TestCa ca;
    yxtest::TestCa otherCa;
    yxtest::HttpTestServer server;
    std::string crlUrl, forgedUrl, deadUrl;
    std::vector<yx::X509Ptr> revoked;
};

// Checks against the silent address wait for the timeouts; these keep the tests quick.
inline void shortRevocationTimeouts() {
    yx::revocationOptions().connectTimeoutMs = 1000;
    yx::revocationOptions().totalTimeoutMs = 2000;
}

inline void setOnlineChecks(bool on) {
    yx::settings::WriteProfileString("Common", "SartOnlineCRLCheck", on ? "1" : "0");
}

// Column texts of a page's list, one line per row joined by " | ".
inline QStringList rowsOf(const yx::CertListPage* page) {
    QStringList rows;
    const yx::CertListModel* m = page->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m->columnCount(); ++c)
            cells << m->text(r, c);
        rows << cells.join(QStringLiteral(" | "));
    }
    return rows;
}

inline QStringList messageTexts(const RecordingPrompt& prompt) {
    QStringList out;
    for (const auto& m : prompt.messages)
        out << u(m.text);
    return out;
}

// The set-up the page tests share: a GUI environment with its own data folder, a prompt that
// keeps what the viewer was started on, a folder for files, the PKI (its root CA in the CA store),
// a menu bar and the page under test. A test class derives from QObject and this.
template <class PageT> class PageTestBase {
protected:
    // Everything but the page, in the order the page needs it.
    void setUpEnv() {
        env = std::make_unique<yxtest::ScopedGuiEnv>();
        prompt = std::make_unique<ViewerPrompt>();
        files = std::make_unique<yxtest::TempDir>();
        pki = std::make_unique<Pki>();
        bar = std::make_unique<TestMenuBar>();
    }

    // The page, writing into the menu bar, shown at a fixed size.
    void makePage() {
        page = std::make_unique<PageT>();
        page->setMenuBarHost(bar.get());
        page->resize(780, 360);
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    }

    // What each test function of a page starts from: a fresh set-up, no certificates, the page.
    void setUpPage() {
        setUpEnv();
        certs.clear();
        makePage();
    }

    // In the reverse order of the set-up.
    void tearDown() {
        page.reset();
        bar.reset();
        pki.reset();
        files.reset();
        prompt.reset();
        env.reset();
    }

    // The operation menu as merged into the menu bar, items joined by ",".
    QString opsMenuText() const {
        return describe(bar->menuAt(yx::res::kMenuPosOperations)).join(QLatin1Char(','));
    }
    static QString join(const QStringList& l) { return l.join(QLatin1Char(',')); }

    std::unique_ptr<yxtest::ScopedGuiEnv> env;
    std::unique_ptr<ViewerPrompt> prompt;
    std::unique_ptr<yxtest::TempDir> files;
    std::unique_ptr<Pki> pki;
    std::unique_ptr<TestMenuBar> bar;
    std::unique_ptr<PageT> page;
    std::vector<yxtest::Issued> certs; // the certificates a test made, in store order
};

} // namespace certpagetest
