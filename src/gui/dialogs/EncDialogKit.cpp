#include "EncDialogKit.h"

#include "DigitalCertificate.h"

#include "LocalPath.h"

namespace yx::encdlg {

QString presetPath(const QString& path) {
    qsizetype begin = 0;
    while (begin < path.size() && path.at(begin).isSpace())
        ++begin;
    QString out = path.mid(begin);
    while (out.startsWith(QLatin1Char('"')))
        out.remove(0, 1);
    while (out.endsWith(QLatin1Char('"')))
        out.chop(1);
    return out;
}

bool isExistingFile(const QString& path) {
    return regularFileExistsAt(path);
}

QString certText(CDigitalCertificate* cert, int (CDigitalCertificate::*accessor)(std::string&)) {
    if (!cert)
        return {};
    std::string value;
    if ((cert->*accessor)(value) != 0)
        return {};
    return qstr(value);
}

} // namespace yx::encdlg
