#include "QtChineseChrome.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace yx {

bool installQtChineseChrome(QCoreApplication& app) {
    // The translator is the application's child: it lives exactly as long as the program.
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace yx
