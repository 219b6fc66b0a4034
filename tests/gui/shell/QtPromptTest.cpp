// The desktop prompt's pieces that can run unattended: filter conversion, the recording prompt.
#include "prompt/QtPrompt.h"
#include "RecordingPrompt.h"
#include "prompt/FileFilter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace yx;

class QtPromptTest : public QObject {
    Q_OBJECT
private slots:
    void classicFiltersBecomeQtFilters_data();
    void classicFiltersBecomeQtFilters();
    void recordingPromptAnswersFromItsQueues();
    void messageBoxesShowTheClassicButtons();
    void fileChooserUsesTheConvertedFilters();
    void openingRunsXdgOpenWithTheArgument();
};

namespace {

// Runs `act` on the first visible top-level widget of type T once it appears.
template <typename T> void whenShown(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (T* t = qobject_cast<T*>(w); t && t->isVisible()) {
                timer->stop();
                timer->deleteLater();
                act(t);
                return;
            }
        }
    });
    timer->start(20);
}

QPushButton* buttonWithText(QMessageBox* box, const QString& text) {
    for (QAbstractButton* b : box->buttons())
        if (b->text() == text)
            return qobject_cast<QPushButton*>(b);
    return nullptr;
}

} // namespace

void QtPromptTest::classicFiltersBecomeQtFilters_data() {
    QTest::addColumn<QString>("classic");
    QTest::addColumn<QStringList>("qt");
    QTest::newRow("two") << "A(*.a)|*.a|All(*.*)|*.*||" << QStringList{"A (*.a)", "All (*)"};
    QTest::newRow("chinese") << "PFX 文件(*.pfx;*.p12)|*.pfx;*.p12|所有文件(*.*)|*.*||"
                             << QStringList{"PFX 文件 (*.pfx *.p12)", "所有文件 (*)"};
    QTest::newRow("no parens") << "证书文件|*.cer;*.crt|" << QStringList{"证书文件 (*.cer *.crt)"};
    QTest::newRow("patterns decide") << "Text (*.doc)|*.txt||" << QStringList{"Text (*.txt)"};
    QTest::newRow("no trailing bars") << "K|*.kvx" << QStringList{"K (*.kvx)"};
    QTest::newRow("empty pattern") << "Any||" << QStringList{};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("only star") << "Alles|*||" << QStringList{"Alles (*)"};
}

void QtPromptTest::classicFiltersBecomeQtFilters() {
    QFETCH(QString, classic);
    QFETCH(QStringList, qt);
    QCOMPARE(qtNameFilters(classic.toStdString()), qt);
    QCOMPARE(qtFilterString(classic.toStdString()), qt.join(QStringLiteral(";;")));
}

void QtPromptTest::recordingPromptAnswersFromItsQueues() {
    {
        yxtest::RecordingPrompt rec;
        QCOMPARE(&prompt(), static_cast<UserPrompt*>(&rec));
        rec.answer(MsgAnswer::No);
        QCOMPARE(showMessage("q1", MsgIcon::Question, MsgButtons::YesNo), MsgAnswer::No);
        QCOMPARE(showMessage("q2", MsgIcon::Question, MsgButtons::YesNo), MsgAnswer::Yes); // default
        rec.defaultYes = false;
        QCOMPARE(showMessage("q3", MsgIcon::Question, MsgButtons::OkCancel), MsgAnswer::Cancel);
        QCOMPARE(showMessage("i", MsgIcon::Information), MsgAnswer::Ok);
        QCOMPARE(rec.messages.size(), size_t(4));
        QCOMPARE(rec.messages[0].caption, std::string("钥匣"));
        QVERIFY(rec.shown("q3"));
        QVERIFY(!rec.shown("q4"));
        rec.chooseFileAnswer(std::string("/tmp/x.pfx"));
        FileChooserRequest req;
        req.filter = "P|*.pfx||";
        QCOMPARE(prompt().chooseFile(req), std::optional<std::string>("/tmp/x.pfx"));
        QCOMPARE(prompt().chooseFile(req), std::nullopt);
        QCOMPARE(rec.fileRequests.size(), size_t(2));
        rec.openSucceeds = false;
        QVERIFY(!prompt().openWithDesktop("/tmp/a"));
        rec.programResult = 3;
        QCOMPARE(prompt().runProgram({"p", "a"}, true), 3);
        QCOMPARE(rec.programs[0].argv, (std::vector<std::string>{"p", "a"}));
        QVERIFY(rec.programs[0].wait);
    }
    QVERIFY(dynamic_cast<ConsolePrompt*>(&prompt())); // back to the console prompt
}

void QtPromptTest::messageBoxesShowTheClassicButtons() {
    QtPrompt qt;
    // What the box showed; checked after it is closed, so a mismatch cannot leave it open.
    QStringList seen;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    qsizetype buttons = 0;
    bool yesIsDefault = false;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        seen << box->windowTitle() << box->text();
        icon = box->icon();
        buttons = box->buttons().size();
        yesIsDefault = box->defaultButton() == buttonWithText(box, QStringLiteral("是(&Y)"));
        if (QPushButton* no = buttonWithText(box, QStringLiteral("否(&N)")))
            no->click();
        else
            box->reject();
    });
    QCOMPARE(qt.message("您所指定的文件已经存在，要覆盖它吗？", "钥匣", MsgIcon::Question, MsgButtons::YesNo,
                        nullptr),
             MsgAnswer::No);
    QCOMPARE(seen,
             (QStringList{QStringLiteral("钥匣"), QStringLiteral("您所指定的文件已经存在，要覆盖它吗？")}));
    QCOMPARE(icon, QMessageBox::Question);
    QCOMPARE(buttons, 2);
    QVERIFY(yesIsDefault);

    whenShown<QMessageBox>([&](QMessageBox* box) {
        icon = box->icon();
        box->reject(); // Esc or the title bar's close button
    });
    QCOMPARE(qt.message("失败", "钥匣", MsgIcon::Error, MsgButtons::OkCancel, nullptr), MsgAnswer::Cancel);
    QCOMPARE(icon, QMessageBox::Critical);

    whenShown<QMessageBox>([](QMessageBox* box) {
        if (QPushButton* ok = buttonWithText(box, QStringLiteral("确定")))
            ok->click();
        else
            box->reject();
    });
    QCOMPARE(qt.message("好", "钥匣", MsgIcon::Information, MsgButtons::Ok, nullptr), MsgAnswer::Ok);
}

void QtPromptTest::fileChooserUsesTheConvertedFilters() {
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("a.pfx"))).open(QIODevice::WriteOnly);
    QtPrompt qt;
    FileChooserRequest req;
    req.title = "选择证书文件";
    req.filter = "PFX 文件(*.pfx)|*.pfx|所有文件(*.*)|*.*||";
    req.initialPath = dir.filePath(QStringLiteral("a.pfx")).toStdString();
    // What the chooser showed; checked after it is closed, so a mismatch cannot leave it open.
    QString title;
    QStringList filters;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptSave;
    QString folder;
    whenShown<QFileDialog>([&](QFileDialog* d) {
        title = d->windowTitle();
        filters = d->nameFilters();
        mode = d->acceptMode();
        folder = d->directory().absolutePath();
        d->reject();
    });
    QCOMPARE(qt.chooseFile(req, nullptr), std::nullopt);
    QCOMPARE(title, QStringLiteral("选择证书文件"));
    QCOMPARE(filters, (QStringList{QStringLiteral("PFX 文件 (*.pfx)"), QStringLiteral("所有文件 (*)")}));
    QCOMPARE(mode, QFileDialog::AcceptOpen);
    QCOMPARE(QDir(folder).canonicalPath(), QDir(dir.path()).canonicalPath());

    req.save = true;
    req.defaultSuffix = "cer";
    req.initialPath = dir.path().toStdString();
    QString suffix;
    bool noOverwritePrompt = false;
    whenShown<QFileDialog>([&](QFileDialog* d) {
        mode = d->acceptMode();
        suffix = d->defaultSuffix();
        noOverwritePrompt = d->testOption(QFileDialog::DontConfirmOverwrite);
        // Typed into the name field, as a person would.
        if (auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(QStringLiteral("b"));
        QMetaObject::invokeMethod(d, "accept");
        if (d->isVisible())
            d->reject(); // never hang the test
    });
    const std::optional<std::string> chosen = qt.chooseFile(req, nullptr);
    QCOMPARE(mode, QFileDialog::AcceptSave);
    QCOMPARE(suffix, QStringLiteral("cer"));
    QVERIFY(noOverwritePrompt);
    QVERIFY(chosen.has_value());
    QCOMPARE(QString::fromStdString(*chosen), dir.filePath(QStringLiteral("b.cer")));
}

void QtPromptTest::openingRunsXdgOpenWithTheArgument() {
    // A stand-in xdg-open first on PATH: it notes its arguments and ends as told.
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("args"));
    const QString script = dir.filePath(QStringLiteral("xdg-open"));
    {
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1'\n"
                               "[ \"$1\" = slow ] && sleep 3\n[ \"$1\" = bad ] && exit 4\nexit 0\n")
                    .arg(log)
                    .toUtf8());
    }
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(dir.path()) + ":" + oldPath);
    auto logged = [&] {
        QFile f(log);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    };
    QtPrompt qt;
    qt.openerWaitMs = 1000;
    QVERIFY(qt.openWithDesktop("/tmp/a file; $(echo no).txt"));
    QCOMPARE(logged(), QStringLiteral("/tmp/a file; $(echo no).txt\n")); // one argument, no shell
    QVERIFY(!qt.openWithDesktop("bad"));
    QElapsedTimer t;
    t.start();
    QVERIFY(qt.openWithDesktop("slow")); // still running: taken as opened
    QVERIFY(t.elapsed() < 2500);
    QCOMPARE(qt.runProgram({"sh", "-c", "exit 5"}, true), 5);
    QCOMPARE(qt.runProgram({"/nonexistent/program"}, true), -1);
    qputenv("PATH", oldPath);
}

QTEST_MAIN(QtPromptTest)
#include "QtPromptTest.moc"
