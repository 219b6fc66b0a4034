// yaoxia-viewer <certificate file>: the certificate viewer the program starts to show a certificate.
#include "LocalPath.h"
#include "prompt/QtPrompt.h"
#include "shell/QtChineseChrome.h"
#include "viewer/ViewerApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("yaoxia-viewer"));
    yx::installQtChineseChrome(app);
    yx::QtPrompt prompt; // the program's own message boxes and file choosers
    yx::setPrompt(&prompt);
    // The arguments as their bytes: a certificate file whose name is not UTF-8 is still found.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << yx::pathText(argv[i]);
    const int rc = yx::viewer::runViewer(args);
    yx::setPrompt(nullptr);
    return rc;
}
