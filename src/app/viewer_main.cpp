// yaoxia-viewer <certificate file>: the certificate viewer the program starts to show a certificate.
#include "viewer/ViewerApp.h"
#include "viewer/ViewerPrompt.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("yaoxia-viewer"));
    yx::viewer::ViewerPrompt prompt;
    yx::setPrompt(&prompt);
    const int rc = yx::viewer::runViewer(QApplication::arguments());
    yx::setPrompt(nullptr);
    return rc;
}
