#include "CertIconLabel.h"

#include <QPainter>

namespace yx::viewer {

CertIconLabel::CertIconLabel(const QIcon& icon, int logicalSize, QWidget* parent)
    : QWidget(parent), m_icon(icon), m_size(logicalSize) {
    setFixedSize(m_size, m_size);
}

QSize CertIconLabel::sizeHint() const {
    return {m_size, m_size};
}

void CertIconLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    m_icon.paint(&painter, rect());
}

} // namespace yx::viewer
