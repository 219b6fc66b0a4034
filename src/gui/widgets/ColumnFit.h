// Columns that hold names or dates start at their fixed widths and widen to their content when
// the view is shown and whenever its rows are loaded again, up to half the view's width, so that
// a holder name or a date and time is not clipped while room is left for the other columns.
#pragma once

#include <QObject>

#include <vector>

class QTreeView;

namespace yx {

class ColumnFit : public QObject {
    Q_OBJECT
public:
    // Watches `view` (and its model, once set) for the given columns; owned by the view.
    static ColumnFit* install(QTreeView* view, std::vector<int> columns);

    // Widens the columns now (never narrows them).
    void fit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ColumnFit(QTreeView* view, std::vector<int> columns);
    void watchModel();
    void fitSoon();

    QTreeView* m_view;
    std::vector<int> m_columns;
    QObject* m_watchedModel = nullptr;
    bool m_pending = false;
};

} // namespace yx
