// The hyperlink control: URL and text, colours and underline by state, opening with the
// registered-browser fallback, the English error texts, fitting to the text.
#include "widgets/LinkStatic.h"
#include "GuiTestEnv.h"
#include "RecordingPrompt.h"
#include "ResourceIds.h"
#include "widgets/AboutDialog.h"
#include "widgets/BrowserCommand.h"

#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using namespace yx;

namespace {

// Points the XDG look-up folders at a temporary folder for the test's lifetime.
class ScopedXdg {
public:
    ScopedXdg() {
        for (const char* v : kVars) {
            m_old.push_back(qEnvironmentVariableIsSet(v) ? std::optional<QByteArray>(qgetenv(v))
                                                         : std::nullopt);
        }
        QDir(m_dir.path()).mkpath(QStringLiteral("config"));
        QDir(m_dir.path()).mkpath(QStringLiteral("data/applications"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/config")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_dir.path() + QStringLiteral("/none")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/data")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_dir.path() + QStringLiteral("/none")));
    }
    ~ScopedXdg() {
        for (size_t i = 0; i < std::size(kVars); ++i) {
            if (m_old[i])
                qputenv(kVars[i], *m_old[i]);
            else
                qunsetenv(kVars[i]);
        }
    }
    void registerHtmlApp(const QString& desktopId, const QString& exec) {
        write(m_dir.path() + QStringLiteral("/config/mimeapps.list"),
              QStringLiteral("[Added Associations]\ntext/html=other.desktop;\n\n[Default Applications]\n"
                             "text/plain=editor.desktop\ntext/html=missing.desktop;%1;\n")
                  .arg(desktopId));
        write(m_dir.path() + QStringLiteral("/data/applications/") + desktopId,
              QStringLiteral(
                  "[Desktop Entry]\nType=Application\nName=Browser\nExec=%1\n\n[Desktop Action new]\n"
                  "Exec=wrong %u\n")
                  .arg(exec));
    }

private:
    static void write(const QString& path, const QString& text) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.toUtf8());
    }
    static constexpr const char* kVars[] = {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME",
                                            "XDG_DATA_DIRS"};
    QTemporaryDir m_dir;
    std::vector<std::optional<QByteArray>> m_old;
};

void hover(LinkStatic& link, bool in) {
    if (in) {
        QEnterEvent e(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QCoreApplication::sendEvent(&link, &e);
    } else {
        QEvent e(QEvent::Leave);
        QCoreApplication::sendEvent(&link, &e);
    }
}

} // namespace

class LinkStaticTest : public QObject {
    Q_OBJECT
private slots:
    void urlFallsBackToTheText();
    void textFallsBackToTheUrl();
    void coloursAndUnderlineFollowTheState();
    void underlineModes();
    void clickOpensAndMarksVisited();
    void failedOpenTriesTheRegisteredBrowser();
    void failedOpenWithoutBrowserReportsTheFirstError();
    void browserThatCannotStartIsReported();
    void errorTextsByCode_data();
    void errorTextsByCode();
    void browserArgumentsCutAtThePlaceholder_data();
    void browserArgumentsCutAtThePlaceholder();
    void fittingKeepsTheAnchoredEdge();
    void aboutBoxLinks();
};

void LinkStaticTest::urlFallsBackToTheText() {
    LinkStatic link(QStringLiteral("https://example.org/a"));
    QCOMPARE(link.url(), QStringLiteral("https://example.org/a"));
    QCOMPARE(link.toolTip(), QStringLiteral("https://example.org/a"));
    link.setUrl(QStringLiteral("https://example.org/b"));
    QCOMPARE(link.url(), QStringLiteral("https://example.org/b"));
    QCOMPARE(link.text(), QStringLiteral("https://example.org/a")); // the text stays
    QCOMPARE(link.toolTip(), QStringLiteral("https://example.org/b"));
}

void LinkStaticTest::textFallsBackToTheUrl() {
    LinkStatic link;
    link.setUrl(QStringLiteral("mailto:someone@example.org"));
    QCOMPARE(link.text(), QStringLiteral("mailto:someone@example.org"));
    QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);
}

void LinkStaticTest::coloursAndUnderlineFollowTheState() {
    QCOMPARE(LinkStatic::linkColor(), QColor(0, 0, 238));
    QCOMPARE(LinkStatic::visitedColor(), QColor(85, 26, 139));
    QCOMPARE(LinkStatic::hoverColor(), QColor(255, 0, 0));
    LinkStatic link(QStringLiteral("https://example.org"));
    QCOMPARE(link.underlineMode(), int(LinkStatic::UnderlineWhileHover));
    QCOMPARE(link.currentColor(), LinkStatic::linkColor());
    QCOMPARE(link.palette().color(QPalette::WindowText), LinkStatic::linkColor());
    QVERIFY(!link.font().underline());
    hover(link, true);
    QVERIFY(link.isMouseOver());
    QCOMPARE(link.palette().color(QPalette::WindowText), LinkStatic::hoverColor());
    QVERIFY(link.font().underline());
    hover(link, false);
    QVERIFY(!link.isMouseOver());
    QVERIFY(!link.font().underline());
    link.setVisited(true);
    QCOMPARE(link.palette().color(QPalette::WindowText), LinkStatic::visitedColor());
    hover(link, true);
    QCOMPARE(link.currentColor(), LinkStatic::hoverColor()); // hover wins over visited
}

void LinkStaticTest::underlineModes() {
    LinkStatic link(QStringLiteral("https://example.org"));
    link.setUnderlineMode(LinkStatic::UnderlineAlways);
    QVERIFY(link.font().underline());
    hover(link, true);
    hover(link, false);
    QVERIFY(link.font().underline()); // leaving keeps it with mode 1
    link.setUnderlineMode(LinkStatic::UnderlineNever);
    QVERIFY(!link.font().underline());
    hover(link, true);
    QVERIFY(!link.font().underline());
    link.setUnderlineMode(5); // not a mode
    QCOMPARE(link.underlineMode(), int(LinkStatic::UnderlineNever));
}

void LinkStaticTest::clickOpensAndMarksVisited() {
    yxtest::RecordingPrompt prompt;
    LinkStatic link(QStringLiteral("https://example.org/x"));
    link.resize(200, 20);
    QSignalSpy opened(&link, &LinkStatic::opened);
    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(prompt.opened, (std::vector<std::string>{"https://example.org/x"}));
    QVERIFY(link.visited());
    QCOMPARE(opened.count(), 1);
    QVERIFY(prompt.messages.empty());
    QVERIFY(prompt.programs.empty());
}

void LinkStaticTest::failedOpenTriesTheRegisteredBrowser() {
    ScopedXdg xdg;
    xdg.registerHtmlApp(QStringLiteral("testbrowser.desktop"),
                        QStringLiteral("/opt/tb/browser --new \"%1\" --tail"));
    QCOMPARE(htmlOpenCommand(), QStringLiteral("/opt/tb/browser --new \"%1\" --tail"));
    yxtest::RecordingPrompt prompt;
    prompt.openSucceeds = false;
    LinkStatic link(QStringLiteral("https://example.org/y"));
    link.activate();
    QCOMPARE(prompt.opened.size(), size_t(1));
    QCOMPARE(prompt.programs.size(), size_t(1));
    QCOMPARE(prompt.programs[0].argv,
             (std::vector<std::string>{"/opt/tb/browser", "--new", "https://example.org/y"}));
    QVERIFY(!prompt.programs[0].wait);
    QVERIFY(link.visited());
    QVERIFY(prompt.messages.empty());
}

void LinkStaticTest::failedOpenWithoutBrowserReportsTheFirstError() {
    ScopedXdg xdg; // nothing registered
    QVERIFY(htmlOpenCommand().isEmpty());
    yxtest::RecordingPrompt prompt;
    prompt.openSucceeds = false;
    LinkStatic link(QStringLiteral("https://example.org/z"));
    link.activate();
    QVERIFY(!link.visited());
    QVERIFY(prompt.programs.empty());
    QCOMPARE(prompt.messages.size(), size_t(1));
    QCOMPARE(prompt.messages[0].text,
             std::string("Unable to open hyperlink:\n\nThere is no application associated\n"
                         "with the given filename extension."));
    QCOMPARE(prompt.messages[0].icon, MsgIcon::Warning);
    QCOMPARE(prompt.messages[0].buttons, MsgButtons::Ok);
    QCOMPARE(prompt.messages[0].caption, std::string("钥匣"));
}

void LinkStaticTest::browserThatCannotStartIsReported() {
    ScopedXdg xdg;
    xdg.registerHtmlApp(QStringLiteral("gone.desktop"), QStringLiteral("/nonexistent/browser %u"));
    yxtest::RecordingPrompt prompt;
    prompt.openSucceeds = false;
    prompt.programResult = -1;
    LinkStatic link(QStringLiteral("https://example.org/w"));
    link.activate();
    QVERIFY(!link.visited());
    QCOMPARE(prompt.programs.size(), size_t(1));
    QCOMPARE(prompt.messages.size(), size_t(1));
    QCOMPARE(prompt.messages[0].text,
             std::string("Unable to open hyperlink:\n\nThe specified file was not found."));
}

void LinkStaticTest::errorTextsByCode_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("description");
    QTest::newRow("0") << 0 << "The operating system is out\nof memory or resources.";
    QTest::newRow("2") << 2 << "The specified file was not found.";
    QTest::newRow("3") << 3 << "The specified path was not found.";
    QTest::newRow("5") << 5 << "The operating system denied\naccess to the specified file.";
    QTest::newRow("8") << 8 << "There was not enough memory to complete the operation.";
    QTest::newRow("11") << 11 << "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    QTest::newRow("26") << 26 << "A sharing violation occurred. ";
    QTest::newRow("27") << 27 << "The filename association is\nincomplete or invalid.";
    QTest::newRow("28") << 28 << "The DDE transaction could not\nbe completed because the request timed out.";
    QTest::newRow("29") << 29 << "The DDE transaction failed.";
    QTest::newRow("30")
        << 30
        << "The DDE transaction could not\nbe completed because other DDE transactions\nwere being "
           "processed.";
    QTest::newRow("31") << 31 << "There is no application associated\nwith the given filename extension.";
    QTest::newRow("32") << 32 << "The specified dynamic-link library was not found.";
    QTest::newRow("1") << 1 << "Unknown Error (1) occurred.";
    QTest::newRow("99") << 99 << "Unknown Error (99) occurred.";
}

void LinkStaticTest::errorTextsByCode() {
    QFETCH(int, code);
    QFETCH(QString, description);
    QCOMPARE(LinkStatic::errorDescription(code), description);
    QCOMPARE(LinkStatic::errorText(code), QStringLiteral("Unable to open hyperlink:\n\n") + description);
}

void LinkStaticTest::browserArgumentsCutAtThePlaceholder_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("args");
    const QString u = QStringLiteral("https://e.org/?a=1&b=2");
    QTest::newRow("quoted %1") << "browser -x \"%1\" -y" << QStringList{"browser", "-x", u};
    QTest::newRow("bare %1") << "browser %1 -y" << QStringList{"browser", u};
    QTest::newRow("quoted preferred") << "b \"%1\" --x %1" << QStringList{"b", u};
    QTest::newRow("desktop %u") << "firefox %u" << QStringList{"firefox", u};
    QTest::newRow("desktop %U") << "chromium --incognito %U" << QStringList{"chromium", "--incognito", u};
    QTest::newRow("no placeholder") << "browser --new" << QStringList{"browser", "--new", u};
    QTest::newRow("quoted program") << "\"/opt/my browser/run\" %F" << QStringList{"/opt/my browser/run", u};
    QTest::newRow("other field codes dropped") << "browser %i %c %u" << QStringList{"browser", u};
    QTest::newRow("empty") << "" << QStringList{};
}

void LinkStaticTest::browserArgumentsCutAtThePlaceholder() {
    QFETCH(QString, command);
    QFETCH(QStringList, args);
    QCOMPARE(browserArguments(command, QStringLiteral("https://e.org/?a=1&b=2")), args);
}

void LinkStaticTest::fittingKeepsTheAnchoredEdge() {
    QWidget host;
    host.resize(400, 200);
    auto* left = new LinkStatic(&host);
    left->setAdjustToFit(false);
    left->setGeometry(10, 10, 300, 60);
    left->setUrl(QStringLiteral("https://example.org"));
    left->setAdjustToFit(true);
    QCOMPARE(left->pos(), QPoint(10, 10));
    const QSize fitted = left->size();
    QVERIFY(fitted.width() < 300 && fitted.height() < 60);
    QVERIFY(fitted.width() >= left->fontMetrics().horizontalAdvance(left->text()));

    auto* right = new LinkStatic(&host);
    right->setAdjustToFit(false);
    right->setAlignment(Qt::AlignRight | Qt::AlignTop);
    right->setGeometry(10, 80, 300, 60);
    right->setUrl(QStringLiteral("https://example.org"));
    right->setAdjustToFit(true);
    QCOMPARE(right->geometry().right(), 309);
    QCOMPARE(right->y(), 80);

    auto* centred = new LinkStatic(&host);
    centred->setAdjustToFit(false);
    centred->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    centred->setGeometry(10, 120, 300, 60);
    centred->setUrl(QStringLiteral("https://example.org"));
    centred->setAdjustToFit(true);
    QVERIFY(qAbs(centred->geometry().center().x() - QRect(10, 120, 300, 60).center().x()) <= 1);
    QVERIFY(qAbs(centred->geometry().center().y() - QRect(10, 120, 300, 60).center().y()) <= 1);
}

void LinkStaticTest::aboutBoxLinks() {
    AboutDialog about;
    QCOMPARE(about.windowTitle(), QStringLiteral("岚川数字钥匣"));
    auto* web = about.findChild<LinkStatic*>(QStringLiteral("1000"));
    auto* mail = about.findChild<LinkStatic*>(QStringLiteral("1112"));
    QVERIFY(web && mail);
    QVERIFY(web->url().startsWith(QStringLiteral("https://")));
    QVERIFY(mail->url().startsWith(QStringLiteral("mailto:")));
    QCOMPARE(web->underlineMode(), int(LinkStatic::UnderlineAlways));
    QCOMPARE(mail->underlineMode(), int(LinkStatic::UnderlineAlways));
    QVERIFY(web->font().underline());
    QVERIFY(about.findChild<QWidget*>(QStringLiteral("1")));
}

QTEST_MAIN(LinkStaticTest)
#include "LinkStaticTest.moc"
