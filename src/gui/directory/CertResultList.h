// CertResultList: the certificate list of the choosers and directory dialogs. A plain report
// list (full-row selection, a 16 x 16 certificate icon per row) that also knows where the mouse is
// over it, so a dialog can hit-test the cursor when the selection changes, and tells whether a
// change came from the keyboard.
#pragma once

#include <QTreeWidget>

#include <functional>
#include <utility>
#include <vector>

namespace yx {

class CertResultList : public QTreeWidget {
public:
    // Column titles with their widths in (logical) pixels.
    CertResultList(const std::vector<std::pair<QString, int>>& columns, QWidget* parent = nullptr);

    // Appends a row with the certificate icon; returns it.
    QTreeWidgetItem* addRow(const QStringList& texts);

    // The row under the mouse cursor, -1 when the cursor is over no row or not over the list.
    int rowUnderCursor() const;
    // True while a key press is being handled (the selection moves by keyboard).
    bool changingByKeyboard() const { return m_inKey; }

    // Called after a left or right press on the list with the row hit (-1 for empty space).
    std::function<void(int row)> onPress;
    // Called after any double click on the list, over a row or not.
    std::function<void()> onDoubleClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    int rowAt(const QPoint& viewportPos) const;

    QPoint m_mousePos; // last known position over the viewport
    bool m_mouseInside = false;
    bool m_inKey = false;
};

} // namespace yx
