// The program's bitmaps and icons, kept as SVG (or PNG) in the Qt resources under
// ":/yaoxia/bitmaps/<id>" and ":/yaoxia/icons/<id>". Vector artwork is rendered at the screen's
// device pixel ratio, so it stays sharp on HiDPI screens while layout works in logical pixels.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace yx::art {

// Resource path of a bitmap or icon id, empty when there is none.
QString bitmapPath(int id);
QString iconPath(int id);

// Natural (logical) size of a bitmap; invalid size when it does not exist.
QSize bitmapSize(int id);

// The bitmap rendered for a device pixel ratio (its logical size is bitmapSize()). Null when missing.
QPixmap bitmap(int id, qreal devicePixelRatio = 1.0);

// An icon at every size (null icon when missing).
QIcon icon(int id);

} // namespace yx::art
