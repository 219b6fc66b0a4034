// At 200% scale (QT_SCALE_FACTOR=2) the dialogs are drawn at twice the pixels, their icons
// rendered for that scale, and no label or button is cut short.
#include "CertList.h"
#include "GuiTestEnv.h"
#include "RecordingPrompt.h"
#include "config/ConfigDialog.h"
#include "config/RaSiteDialog.h"
#include "encryption/DlgEncryptFile.h"
#include "pages/Page.h"
#include "shell/MainFrame.h"
#include "shell/NavigationPanel.h"
#include "widgets/AboutDialog.h"

#include <QAbstractButton>
#include <QLabel>
#include <QtTest>

#include <functional>
#include <memory>

using namespace yx;

class DoubleScaleTest : public QObject {
    Q_OBJECT
private slots:
    void dialogsAreSharpAndWhole() {
        yxtest::ScopedGuiEnv env;
        yxtest::RecordingPrompt prompt;
        CCertList list;
        struct Case {
            const char* name;
            std::function<std::unique_ptr<QWidget>()> make;
        };
        const Case cases[] = {
            {"encrypt-dialog-200", [&] { return std::make_unique<CDlgEncryptFile>(&list); }},
            {"config-dialog-200", [] { return std::make_unique<CConfigDialog>(CConfigDialog::EncCertTab); }},
            {"ra-site-dialog-200",
             [] {
                 return std::make_unique<CRaSiteDialog>(QStringLiteral("添加定制的RA网站"), QString(),
                                                        QString());
             }},
            {"about-box-200", [] { return std::make_unique<AboutDialog>(); }},
            {"mainframe-file-page-200",
             [] {
                 auto frame = std::make_unique<MainFrame>();
                 frame->resize(760, 540);
                 return frame;
             }},
        };
        for (const Case& c : cases) {
            qInfo("%s", c.name);
            std::unique_ptr<QWidget> dialog = c.make();
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
            if (auto* frame = qobject_cast<MainFrame*>(dialog.get())) { // on the file-encryption page
                NavigationPanel* panel = frame->panel();
                QTest::mouseClick(panel, Qt::LeftButton, {}, panel->itemRect(kPageFileEnc).center());
                QCOMPARE(frame->currentPageIndex(), kPageFileEnc);
            }
            QTest::qWait(30);
            QCOMPARE(dialog->devicePixelRatio(), 2.0);
            const QImage shot = dialog->grab().toImage();
            QCOMPARE(shot.width(), dialog->width() * 2); // drawn at device pixels, not scaled up
            for (const QLabel* label : dialog->findChildren<QLabel*>())
                if (label->isVisible() && !label->wordWrap() && label->pixmap().isNull())
                    QVERIFY2(label->width() >= label->minimumSizeHint().width(), qPrintable(label->text()));
            for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
                if (button->isVisible())
                    QVERIFY2(button->width() >= button->minimumSizeHint().width(),
                             qPrintable(button->text()));
        }
    }
};

int main(int argc, char** argv) {
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    DoubleScaleTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DoubleScaleTest.moc"
