#include "FileFilter.h"

#include <QRegularExpression>

namespace yx {

QStringList qtNameFilters(const std::string& classicFilter) {
    const QString all = QString::fromStdString(classicFilter);
    QStringList parts = all.split(QLatin1Char('|'));
    // The list ends with "||": drop the empty tail.
    while (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    QStringList filters;
    static const QRegularExpression trailingParens(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        description.remove(trailingParens);
        description = description.trimmed();
        QStringList patterns;
        for (QString p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            p = p.trimmed();
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
            if (!p.isEmpty() && !patterns.contains(p))
                patterns << p;
        }
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' '))).trimmed();
    }
    return filters;
}

QString qtFilterString(const std::string& classicFilter) {
    return qtNameFilters(classicFilter).join(QStringLiteral(";;"));
}

} // namespace yx
