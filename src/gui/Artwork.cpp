#include "Artwork.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

// The resources live in a static library: register them before the first look-up.
static void initArtworkResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(artwork);
        return true;
    }();
    (void)done;
}

namespace yx::art {
namespace {

QString findResource(const char* folder, int id) {
    initArtworkResources();
    for (const char* ext : {"svg", "png"}) {
        const QString path =
            QStringLiteral(":/yaoxia/%1/%2.%3").arg(QLatin1String(folder)).arg(id).arg(QLatin1String(ext));
        if (QFile::exists(path))
            return path;
    }
    return {};
}

bool isSvg(const QString& path) {
    return path.endsWith(QLatin1String(".svg"));
}

} // namespace

QString bitmapPath(int id) {
    return findResource("bitmaps", id);
}
QString iconPath(int id) {
    return findResource("icons", id);
}

QSize bitmapSize(int id) {
    const QString path = bitmapPath(id);
    if (path.isEmpty())
        return {};
    if (isSvg(path))
        return QSvgRenderer(path).defaultSize();
    return QImage(path).size();
}

QPixmap bitmap(int id, qreal devicePixelRatio) {
    const QString path = bitmapPath(id);
    if (path.isEmpty())
        return {};
    const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    if (!isSvg(path)) {
        QPixmap pm(path);
        return pm;
    }
    QSvgRenderer renderer(path);
    const QSize logical = renderer.defaultSize();
    const QSize device(static_cast<int>(std::ceil(logical.width() * dpr)),
                       static_cast<int>(std::ceil(logical.height() * dpr)));
    QImage image(device, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(device)));
    }
    image.setDevicePixelRatio(dpr);
    return QPixmap::fromImage(image);
}

QIcon icon(int id) {
    const QString path = iconPath(id);
    return path.isEmpty() ? QIcon() : QIcon(path);
}

} // namespace yx::art
