#include "AnimationControl.h"

#include "mail/MailDialogIds.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace yx {

namespace {
constexpr int kFrameMs = 90;
} // namespace

AnimationControl::AnimationControl(QWidget* parent) : QWidget(parent) {
    m_timer.setInterval(kFrameMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_frame = (m_frame + 1) % kFrameCount;
        update();
    });
}

bool AnimationControl::open(int clipId) {
    stop();
    m_clip = clipId == res::IDR_AVI_LDAP_SEARCH ? clipId : 0;
    m_frame = 0;
    update();
    return m_clip != 0;
}

bool AnimationControl::play() {
    if (m_clip == 0)
        return false;
    m_frame = 0;
    m_timer.start();
    update();
    return true;
}

void AnimationControl::stop() {
    m_timer.stop();
}

QSize AnimationControl::sizeHint() const {
    return {160, 80};
}

void AnimationControl::paintEvent(QPaintEvent*) {
    if (m_clip == 0)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(4, 4, -4, -4);
    const qreal h = std::min(area.height(), area.width() / 2);
    const QRectF box(area.center().x() - h, area.center().y() - h / 2, 2 * h, h);

    // A row of index cards: the people being looked up.
    const int cards = 4;
    const qreal cardW = box.width() / (cards + 1);
    for (int i = 0; i < cards; ++i) {
        const QRectF card(box.left() + cardW * (i + 0.5) + 2, box.top() + h * 0.25, cardW - 4, h * 0.5);
        p.setPen(QPen(QColor(0x1d, 0x4f, 0x9e), 1.2));
        p.setBrush(QColor(0xdc, 0xe7, 0xf7));
        p.drawRoundedRect(card, 3, 3);
        p.setBrush(QColor(0x1d, 0x4f, 0x9e));
        p.drawEllipse(QPointF(card.center().x(), card.top() + card.height() * 0.38), card.height() * 0.14,
                      card.height() * 0.14);
    }

    // The glass sweeps to and fro along the cards.
    const qreal phase = qSin(2 * M_PI * m_frame / kFrameCount);
    const QPointF centre(box.center().x() + phase * (box.width() / 2 - cardW / 2),
                         box.center().y() - h * 0.05);
    const qreal r = h * 0.22;
    p.setPen(QPen(QColor(0x8a, 0x5a, 0x0b), 2.4));
    p.setBrush(QColor(255, 255, 255, 110));
    p.drawEllipse(centre, r, r);
    p.drawLine(centre + QPointF(r * 0.7, r * 0.7), centre + QPointF(r * 1.6, r * 1.6));
}

} // namespace yx
