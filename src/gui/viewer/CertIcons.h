// The certificate viewer's icons, drawn as SVG so they stay sharp at any size and screen scale.
#pragma once

#include <QIcon>

namespace yx::viewer {

enum class CertBadge { None, Ok, Warning, Error };

QIcon certificateIcon(CertBadge badge = CertBadge::None); // a certificate with an optional badge
QIcon privateKeyIcon();                                   // a key
QIcon fieldIcon(bool extension, bool critical);           // rows of the details list

} // namespace yx::viewer
