#include "NavigationPanel.h"

#include "Artwork.h"
#include "pages/Page.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QTimerEvent>
#include <QToolTip>

namespace yx {

namespace {
// Title line texts by page index (they differ from the item tooltips).
const char* const kTitles[] = {"证书生命周期管理", "个人证书管理", "其他人证书管理",
                               "CA证书管理",       "安全邮件配置", "文件加密"};
constexpr int kTitleCount = 6;
} // namespace

NavigationPanel::NavigationPanel(QWidget* parent) : QWidget(parent) {
    // Everything is painted by paintEvent; nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setStyleSheet(QStringLiteral("QToolTip { background-color: %1; color: %2; border: 1px solid #b9c6da; }")
                      .arg(toolTipColor().name(), titleColor().name()));
    QFont title = font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() > 0 ? title.pointSizeF() * 1.2 : 11.0);
    setFont(title);
    m_timerId = startTimer(kRepaintIntervalMs);
}

bool NavigationPanel::loadBitmap(Bitmap& bitmap, int id) {
    const QSize size = art::bitmapSize(id);
    if (!size.isValid())
        return false;
    bitmap.id = id;
    bitmap.size = size;
    bitmap.pixmap = QPixmap(); // rendered on first paint, for the screen it is painted on
    return true;
}

const QPixmap& NavigationPanel::pixmapFor(Bitmap& bitmap) {
    const qreal dpr = devicePixelRatioF();
    if (bitmap.pixmap.isNull() || !qFuzzyCompare(bitmap.pixmap.devicePixelRatio(), dpr))
        bitmap.pixmap = art::bitmap(bitmap.id, dpr);
    return bitmap.pixmap;
}

bool NavigationPanel::setDecoration(Decoration role, int bitmapId) {
    if (role < 0 || role >= DecorationCount)
        return false;
    return loadBitmap(m_decor[role], bitmapId);
}

void NavigationPanel::setItemCount(int count) {
    m_items.assign(static_cast<size_t>(qBound(0, count, kMaxItems)), Item{});
}

bool NavigationPanel::setItemBitmap(int index, int bitmapId) {
    if (index < 0 || index >= itemCount())
        return false;
    return loadBitmap(m_items[static_cast<size_t>(index)].bitmap, bitmapId);
}

void NavigationPanel::setItemRect(int index, int left, int top, int right, int bottom) {
    if (index < 0 || index >= itemCount())
        return;
    m_items[static_cast<size_t>(index)].rect = QRect(left, top, right - left, bottom - top);
}

void NavigationPanel::setItemText(int index, const QString& text) {
    if (index < 0 || index >= itemCount())
        return;
    m_items[static_cast<size_t>(index)].text = text;
}

void NavigationPanel::attachPage(int index, Page* page) {
    if (index < 0 || index >= itemCount())
        return;
    m_items[static_cast<size_t>(index)].page = page;
}

Page* NavigationPanel::page(int index) const {
    return index >= 0 && index < itemCount() ? m_items[static_cast<size_t>(index)].page : nullptr;
}

QRect NavigationPanel::itemRect(int index) const {
    return index >= 0 && index < itemCount() ? m_items[static_cast<size_t>(index)].rect : QRect();
}

QString NavigationPanel::itemText(int index) const {
    return index >= 0 && index < itemCount() ? m_items[static_cast<size_t>(index)].text : QString();
}

QSize NavigationPanel::decorationSize(Decoration role) const {
    return m_decor[role].isSet() ? m_decor[role].size : QSize(0, 0);
}

QString NavigationPanel::titleText(int index) {
    return index >= 0 && index < kTitleCount ? QString::fromUtf8(kTitles[index]) : QString();
}

QRect NavigationPanel::pageRect() const {
    const int left = decorationSize(LeftBar).width();
    const int top = decorationSize(TopBand).height() + decorationSize(TitleStrip).height();
    const int right = width() - decorationSize(RightStrip).width();
    const int bottom = height() - decorationSize(BottomBand).height();
    return QRect(left, top, right - left, bottom - top);
}

QPoint NavigationPanel::logoPosition() const {
    const QSize logo = decorationSize(BottomLogo);
    const int leftBar = decorationSize(LeftBar).width();
    const int bottomBand = decorationSize(BottomBand).height();
    // Centred on the bottom band right of the left bar; at the left edge when there is no room.
    const int x = (width() - logo.width() - leftBar) / 2 < 1 ? 0 : (width() + leftBar - logo.width()) / 2;
    const int y = height() - (logo.height() + bottomBand) / 2;
    return {x, y};
}

QRect NavigationPanel::logoRect() const {
    return QRect(logoPosition(), decorationSize(BottomLogo));
}

QPoint NavigationPanel::titlePosition() const {
    return {decorationSize(LeftBar).width() + 2, decorationSize(TopBand).height() + 2};
}

int NavigationPanel::hitTest(const QPoint& pos) const {
    for (int i = 0; i < itemCount(); ++i) {
        if (i != m_selected && m_items[static_cast<size_t>(i)].rect.contains(pos))
            return i;
    }
    return -1;
}

int NavigationPanel::itemAt(const QPoint& pos) const {
    for (int i = 0; i < itemCount(); ++i) {
        if (m_items[static_cast<size_t>(i)].rect.contains(pos))
            return i;
    }
    return -1;
}

void NavigationPanel::tile(QPainter& painter, Bitmap& bitmap, const QRect& area) {
    if (!bitmap.isSet() || area.isEmpty())
        return;
    const QPixmap& pm = pixmapFor(bitmap);
    // From the top-left corner while the start point lies inside the area; the last row and
    // column may reach past it.
    for (int y = area.top(); y <= area.bottom(); y += bitmap.size.height())
        for (int x = area.left(); x <= area.right(); x += bitmap.size.width())
            painter.drawPixmap(x, y, pm);
}

void NavigationPanel::paintEvent(QPaintEvent*) {
    if (m_selected < 0 || m_selected >= kTitleCount)
        return;
    const int w = width();
    const int h = height();
    const int leftBar = decorationSize(LeftBar).width();
    const int topBand = decorationSize(TopBand).height();
    const int bottomBand = decorationSize(BottomBand).height();
    const int rightStrip = decorationSize(RightStrip).width();

    QPainter painter(this);
    tile(painter, m_decor[Background], rect());
    tile(painter, m_decor[LeftBar], QRect(0, 0, leftBar, h));
    tile(painter, m_decor[TopBand], QRect(0, 0, w, topBand));
    if (m_selected < itemCount() && m_items[static_cast<size_t>(m_selected)].bitmap.isSet())
        painter.drawPixmap(0, 0, pixmapFor(m_items[static_cast<size_t>(m_selected)].bitmap));
    tile(painter, m_decor[BottomBand], QRect(leftBar, h - bottomBand, w - leftBar, bottomBand));
    tile(painter, m_decor[RightStrip], QRect(w - rightStrip, 0, rightStrip, h));
    if (m_decor[BottomLogo].isSet())
        painter.drawPixmap(logoPosition(), pixmapFor(m_decor[BottomLogo]));

    painter.setPen(titleColor());
    painter.setFont(font());
    const QPoint title = titlePosition();
    painter.drawText(QRect(title, QSize(qMax(0, w - title.x()), qMax(0, h - title.y()))),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, titleText(m_selected));
    if (m_showAfterPaint)
        QTimer::singleShot(0, this, &NavigationPanel::showPendingPage);
}

void NavigationPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QRect area = pageRect();
    for (Item& item : m_items) {
        if (item.page)
            item.page->setGeometry(area);
    }
    // The decoration depends on the size: top band and title line, bottom band, both side strips.
    const int w = width();
    const int h = height();
    update(QRect(0, 0, w, 40));
    update(QRect(0, h - decorationSize(BottomBand).height(), w, decorationSize(BottomBand).height()));
    update(QRect(0, 0, decorationSize(LeftBar).width(), h));
    update(QRect(w - decorationSize(RightStrip).width(), 0, decorationSize(RightStrip).width(), h));
    update(QRect(0, 0, w, pageRect().top()));
    // The first layout activates the first page; while the panel is still being shown, that
    // waits until it is visible, so the page is really on screen when it is activated.
    if (m_firstLayout && itemCount() > 0 && isVisible())
        firstLayout();
}

void NavigationPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_firstLayout && itemCount() > 0)
        firstLayout();
}

void NavigationPanel::firstLayout() {
    m_firstLayout = false;
    if (page(m_selected) || !m_pageSource) {
        showSelectedPage();
        return;
    }
    // The first page is still to be built (it holds a web browser): the window paints its frame
    // first and the page follows right after that paint, or soon in any case.
    m_showAfterPaint = true;
    update();
    QTimer::singleShot(kLatestFirstPageMs, this, &NavigationPanel::showPendingPage);
}

void NavigationPanel::showPendingPage() {
    if (!m_showAfterPaint)
        return;
    m_showAfterPaint = false;
    showSelectedPage();
}

void NavigationPanel::showSelectedPage() {
    if (!page(m_selected) && m_pageSource) {
        m_pageSource(m_selected);
        if (Page* made = page(m_selected))
            made->setGeometry(pageRect());
    }
    Page* current = page(m_selected);
    for (const Item& item : m_items) {
        if (item.page && item.page != current)
            item.page->hide();
    }
    if (!current)
        return;
    current->show();
    current->setFocus(Qt::OtherFocusReason);
    current->activate();
    emit pageShown(m_selected);
}

void NavigationPanel::updateCursor(const QPoint& pos) {
    if (hitTest(pos) >= 0)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void NavigationPanel::mouseMoveEvent(QMouseEvent* event) {
    updateCursor(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

void NavigationPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const int hit = hitTest(event->position().toPoint());
        if (hit >= 0) {
            m_selected = hit;
            m_showAfterPaint = false; // this page replaces the one still waiting to be shown
            showSelectedPage();
            update();
            updateCursor(event->position().toPoint());
        }
    }
    QWidget::mouseReleaseEvent(event);
}

void NavigationPanel::leaveEvent(QEvent* event) {
    unsetCursor();
    QWidget::leaveEvent(event);
}

void NavigationPanel::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timerId) {
        QWidget::timerEvent(event);
        return;
    }
    if (m_decor[BottomLogo].isSet())
        update(logoRect().adjusted(-2, -2, 2, 2));
}

bool NavigationPanel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int item = itemAt(help->pos());
        if (item >= 0 && !itemText(item).isEmpty())
            QToolTip::showText(help->globalPos(), itemText(item), this, itemRect(item));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

} // namespace yx
