// Columns that hold names or dates start at their fixed widths and widen to their content, up to
// half the view's width, so that a holder name or a date and time is not clipped while room is
// left for the other columns. When the view is shown or its rows are replaced, the rows on screen
// and those around them are measured; rows that arrive one batch after another (a long list
// loading) widen the columns to the rows on screen only, which costs the same at every step, and
// the owner calls fit() once when the last batch is in. A column the user has resized keeps the
// user's width.
#pragma once

#include <QObject>

#include <set>
#include <vector>

class QTreeView;

namespace yx {

class ColumnFit : public QObject {
    Q_OBJECT
public:
    // Watches `view` (and its model, once set) for the given columns; owned by the view.
    static ColumnFit* install(QTreeView* view, std::vector<int> columns);

    // Widens the columns now (never narrows them) to the rows on screen and around them.
    void fit() { widen(false); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ColumnFit(QTreeView* view, std::vector<int> columns);
    void watchModel();
    void fitSoon(bool screenOnly);
    void widen(bool screenOnly);

    QTreeView* m_view;
    std::vector<int> m_columns;
    std::set<int> m_userSized; // resized by the user: left alone
    QObject* m_watchedModel = nullptr;
    bool m_pending = false;
    bool m_pendingScreenOnly = true;
    bool m_mouseDown = false; // a button is held on the header: its resizes are the user's
    bool m_widening = false;  // (but not ours meanwhile)
};

} // namespace yx
