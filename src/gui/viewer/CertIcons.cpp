#include "CertIcons.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace yx::viewer {
namespace {

// Renders one SVG document at whatever size is asked; a disabled icon is drawn faded.
class SvgIconEngine : public QIconEngine {
public:
    explicit SvgIconEngine(QByteArray svg) : m_svg(std::move(svg)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        QSvgRenderer renderer(m_svg);
        painter->save();
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.4);
        renderer.render(painter, QRectF(rect));
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        painter.end();
        return QPixmap::fromImage(image);
    }

    QIconEngine* clone() const override { return new SvgIconEngine(m_svg); }
    QString key() const override { return QStringLiteral("yaoxia-viewer-svg"); }

private:
    QByteArray m_svg;
};

QIcon fromSvg(const QByteArray& body) {
    const QByteArray svg = "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 32 32'>" + body + "</svg>";
    return QIcon(new SvgIconEngine(svg));
}

// A sheet with text lines and a seal with two ribbons in the lower right corner.
const char* const kCertificate =
    "<rect x='2.5' y='5.5' width='27' height='20' rx='1.5' fill='#fdfaf0' stroke='#8a7a55'/>"
    "<rect x='4.5' y='7.5' width='23' height='16' rx='0.5' fill='none' stroke='#d9cba3'/>"
    "<path d='M7 11h18M7 14h14M7 17h9' stroke='#5b7db1' stroke-width='1.5' stroke-linecap='round'/>"
    "<path d='M20 22l-2 7 3-1.6 1.8 2.6 1.2-7.5zM26 22l2 7-3-1.6-1.8 2.6-1.2-7.5z' fill='#3d6bb3'/>"
    "<circle cx='23' cy='20.5' r='4.2' fill='#e3a92b' stroke='#9a6d0c' stroke-width='0.8'/>"
    "<circle cx='23' cy='20.5' r='2.4' fill='none' stroke='#fbe3a6' stroke-width='0.8'/>";

const char* const kOkBadge = "<circle cx='8' cy='24' r='7' fill='#2e8b3d' stroke='#fff' stroke-width='1.2'/>"
                             "<path d='M4.6 24.2l2.4 2.4 4.5-5' fill='none' stroke='#fff' stroke-width='2' "
                             "stroke-linecap='round' stroke-linejoin='round'/>";

const char* const kWarningBadge =
    "<path d='M8 16.5l7.5 13h-15z' fill='#f0b400' stroke='#fff' stroke-width='1.2' stroke-linejoin='round'/>"
    "<path d='M8 20.5v4.5' stroke='#3a2c00' stroke-width='1.8' stroke-linecap='round'/>"
    "<circle cx='8' cy='27.3' r='1' fill='#3a2c00'/>";

const char* const kErrorBadge =
    "<circle cx='8' cy='24' r='7' fill='#c62828' stroke='#fff' stroke-width='1.2'/>"
    "<path d='M5.2 21.2l5.6 5.6M10.8 21.2l-5.6 5.6' stroke='#fff' "
    "stroke-width='2' stroke-linecap='round'/>";

} // namespace

QIcon certificateIcon(CertBadge badge) {
    QByteArray body = kCertificate;
    switch (badge) {
    case CertBadge::Ok:
        body += kOkBadge;
        break;
    case CertBadge::Warning:
        body += kWarningBadge;
        break;
    case CertBadge::Error:
        body += kErrorBadge;
        break;
    case CertBadge::None:
        break;
    }
    return fromSvg(body);
}

QIcon privateKeyIcon() {
    return fromSvg("<circle cx='10' cy='16' r='6.5' fill='#e8b931' stroke='#8c6a0b' stroke-width='1.2'/>"
                   "<circle cx='8.5' cy='16' r='2' fill='#fff8dc' stroke='#8c6a0b'/>"
                   "<path d='M16 14.5h13v3h-2v3.5h-3v-3.5h-2v2.5h-3v-2.5h-3z' fill='#e8b931' "
                   "stroke='#8c6a0b' stroke-width='1.2' stroke-linejoin='round'/>");
}

QIcon fieldIcon(bool extension, bool critical) {
    QByteArray body = "<path d='M6.5 3.5h13l6 6v19h-19z' fill='#fff' stroke='#6b7a8f'/>"
                      "<path d='M19.5 3.5v6h6' fill='#e3e8ef' stroke='#6b7a8f' stroke-linejoin='round'/>";
    body += extension ? "<path d='M10 15h12M10 19h12M10 23h8' stroke='#3c8d5a' stroke-width='1.6'/>"
                      : "<path d='M10 15h12M10 19h12M10 23h8' stroke='#4a6fa5' stroke-width='1.6'/>";
    if (critical)
        body += kWarningBadge;
    return fromSvg(body);
}

} // namespace yx::viewer
