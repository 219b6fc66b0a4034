#include "LocalPath.h"

#include "GbkText.h"
#include "SafeFile.h"

#include <QByteArray>
#include <QUrl>

namespace yx {

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // byte b (0x80..0xFF) <-> U+DC00 + b

// Length of the valid UTF-8 sequence at `at` (1..4), or 0 when the bytes there are not one:
// overlong forms, encoded surrogates and code points beyond U+10FFFF are not valid.
size_t validSequence(std::string_view s, size_t at, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[at]);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    size_t len = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (at + len > s.size())
        return 0;
    for (size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[at + i]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

QString pathText(std::string_view bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (size_t at = 0; at < bytes.size();) {
        char32_t cp = 0;
        const size_t len = validSequence(bytes, at, cp);
        if (len == 0) {
            out += QChar(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[at])));
            ++at;
            continue;
        }
        if (cp >= 0x10000) {
            out += QChar(QChar::highSurrogate(cp));
            out += QChar(QChar::lowSurrogate(cp));
        } else {
            out += QChar(static_cast<char16_t>(cp));
        }
        at += len;
    }
    return out;
}

std::string pathBytes(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            appendUtf8(out, QChar::surrogateToUcs4(u, text.at(i + 1).unicode()));
            ++i;
        } else if (u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF) {
            out += static_cast<char>(u - kEscapeBase); // an escaped byte
        } else if (QChar::isSurrogate(u)) {
            appendUtf8(out, 0xFFFD); // a lone surrogate that stands for no byte
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

QString pathOfLocalUrl(const QUrl& url) {
    if (!url.isLocalFile())
        return {};
    // The encoded form keeps every byte of the name as %XX, whatever its encoding.
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return pathText(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

bool fileExistsAt(const QString& path) {
    return !path.isEmpty() && fileExists(pathBytes(path));
}

bool regularFileExistsAt(const QString& path) {
    return !path.isEmpty() && isRegularFile(pathBytes(path));
}

} // namespace yx
