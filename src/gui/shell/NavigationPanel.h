// The main frame's client area: paints the window decoration from tiled bitmaps, draws the bar
// of page items on the left with one tooltip per item, writes the current page's title, lays the
// page widgets out in the remaining area and switches pages when an item is clicked. It knows
// nothing about what the pages do: it shows, hides, focuses and activates them.
#pragma once

#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <vector>

namespace yx {

class Page;

class NavigationPanel : public QWidget {
    Q_OBJECT
public:
    enum Decoration {
        Background,
        TopBand,
        BottomBand,
        LeftBar,
        RightStrip,
        BottomLogo,
        TitleStrip,
        DecorationCount
    };

    static constexpr int kMaxItems = 10;
    static constexpr int kRepaintIntervalMs = 1000;

    explicit NavigationPanel(QWidget* parent = nullptr);

    // Set-up, before the panel is shown. Bitmaps are resource ids; false when the bitmap is missing.
    bool setDecoration(Decoration role, int bitmapId);
    void setItemCount(int count); // at most kMaxItems
    int itemCount() const { return static_cast<int>(m_items.size()); }
    bool setItemBitmap(int index, int bitmapId);
    // Hit rectangle as left, top, right, bottom: right and bottom are outside it.
    void setItemRect(int index, int left, int top, int right, int bottom);
    void setItemText(int index, const QString& text);
    void attachPage(int index, Page* page);
    // Makes the page of an item that has none when the item is first shown (the source attaches
    // it), so pages are built as the user reaches them.
    void setPageSource(std::function<void(int index)> source) { m_pageSource = std::move(source); }

    int selectedIndex() const { return m_selected; }
    Page* page(int index) const;
    QRect itemRect(int index) const;
    QString itemText(int index) const;

    // Layout arithmetic for the current client size.
    QRect pageRect() const;
    QPoint logoPosition() const; // top-left of the bottom logo
    QPoint titlePosition() const;
    QRect logoRect() const;
    QSize decorationSize(Decoration role) const;

    // The item a click at `pos` would select: the first, in index order, whose rectangle holds
    // the point and which is not the selected one; -1 for none.
    int hitTest(const QPoint& pos) const;
    // The item whose rectangle holds `pos` (selected or not), -1 for none; its text is the tooltip.
    int itemAt(const QPoint& pos) const;

    // Title line text for a page index, empty outside 0..5.
    static QString titleText(int index);

    // Colours of the title line and of the item tooltips.
    static QColor titleColor() { return QColor(0, 31, 77); }
    static QColor toolTipColor() { return QColor(231, 236, 247); }

signals:
    // After a page has been shown, focused and activated.
    void pageShown(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Bitmap {
        int id = 0;
        QSize size; // logical
        QPixmap pixmap;
        bool isSet() const { return id != 0 && size.isValid(); }
    };
    struct Item {
        Bitmap bitmap;
        QRect rect;
        QString text;
        Page* page = nullptr;
    };

    bool loadBitmap(Bitmap& bitmap, int id);
    const QPixmap& pixmapFor(Bitmap& bitmap);
    void tile(QPainter& painter, Bitmap& bitmap, const QRect& area);
    void showSelectedPage();
    void firstLayout();
    void showPendingPage();
    void updateCursor(const QPoint& pos);

    std::array<Bitmap, DecorationCount> m_decor;
    std::vector<Item> m_items;
    std::function<void(int)> m_pageSource;
    int m_selected = 0;
    bool m_firstLayout = true;
    bool m_showAfterPaint = false; // the first page waits for the first paint
    static constexpr int kLatestFirstPageMs = 200;
    int m_timerId = 0;
};

} // namespace yx
