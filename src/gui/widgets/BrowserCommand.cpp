#include "BrowserCommand.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

namespace yx {

namespace {

QString envOr(const char* name, const QString& fallback) {
    const QString value = QString::fromLocal8Bit(qgetenv(name));
    return value.isEmpty() ? fallback : value;
}

QStringList envList(const char* name, const QString& fallback) {
    return envOr(name, fallback).split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

// The value of `key` in `[section]` of an ini-like desktop file, empty when absent.
QString iniValue(const QString& path, const QString& section, const QString& key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    QString current;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            current = line.mid(1, line.size() - 2);
            continue;
        }
        if (current != section)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed() == key)
            return line.mid(eq + 1).trimmed();
    }
    return {};
}

QStringList dataDirs() {
    const QString home = QDir::homePath();
    QStringList dirs{envOr("XDG_DATA_HOME", home + QStringLiteral("/.local/share"))};
    dirs += envList("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    return dirs;
}

// mimeapps.list files in order of precedence, then the older defaults.list files.
QStringList associationFiles() {
    const QString home = QDir::homePath();
    QStringList files{envOr("XDG_CONFIG_HOME", home + QStringLiteral("/.config")) +
                      QStringLiteral("/mimeapps.list")};
    for (const QString& dir : envList("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg")))
        files << dir + QStringLiteral("/mimeapps.list");
    const QStringList data = dataDirs();
    for (const QString& dir : data)
        files << dir + QStringLiteral("/applications/mimeapps.list");
    for (const QString& dir : data)
        files << dir + QStringLiteral("/applications/defaults.list");
    return files;
}

QString desktopEntryPath(const QString& desktopId) {
    for (const QString& dir : dataDirs()) {
        const QString path = dir + QStringLiteral("/applications/") + desktopId;
        if (QFile::exists(path))
            return path;
    }
    return {};
}

} // namespace

QString htmlOpenCommand() {
    for (const QString& file : associationFiles()) {
        const QString ids =
            iniValue(file, QStringLiteral("Default Applications"), QStringLiteral("text/html"));
        for (const QString& id : ids.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString entry = desktopEntryPath(id.trimmed());
            if (entry.isEmpty())
                continue;
            const QString exec = iniValue(entry, QStringLiteral("Desktop Entry"), QStringLiteral("Exec"));
            if (!exec.isEmpty())
                return exec;
        }
    }
    return {};
}

QStringList splitCommandLine(const QString& commandLine) {
    QStringList args;
    QString current;
    bool inQuotes = false;
    bool hasArg = false;
    for (qsizetype i = 0; i < commandLine.size(); ++i) {
        const QChar c = commandLine[i];
        if (inQuotes) {
            if (c == QLatin1Char('\\') && i + 1 < commandLine.size()) {
                current += commandLine[++i];
            } else if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else {
                current += c;
            }
        } else if (c == QLatin1Char('"')) {
            inQuotes = true;
            hasArg = true;
        } else if (c.isSpace()) {
            if (hasArg || !current.isEmpty())
                args << current;
            current.clear();
            hasArg = false;
        } else {
            current += c;
        }
    }
    if (hasArg || !current.isEmpty())
        args << current;
    return args;
}

QStringList browserArguments(const QString& commandLine, const QString& url) {
    static const char* const kPlaceholders[] = {"%1", "%u", "%U", "%f", "%F"};
    QString cut = commandLine;
    bool found = false;
    // Quoted placeholders first, then bare ones.
    for (const bool quoted : {true, false}) {
        for (const char* ph : kPlaceholders) {
            const QString needle =
                quoted ? QStringLiteral("\"%1\"").arg(QLatin1String(ph)) : QLatin1String(ph);
            const qsizetype at = commandLine.indexOf(needle);
            if (at >= 0) {
                cut = commandLine.left(at);
                found = true;
                break;
            }
        }
        if (found)
            break;
    }
    QStringList args;
    for (const QString& arg : splitCommandLine(cut)) {
        // Other field codes (%i, %c, %k) expand to nothing here.
        if (!(arg.size() == 2 && arg[0] == QLatin1Char('%')))
            args << arg;
    }
    if (args.isEmpty())
        return {};
    args << url;
    return args;
}

} // namespace yx
