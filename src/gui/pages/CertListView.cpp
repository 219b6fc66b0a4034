#include "CertListView.h"

#include "CertListModel.h"
#include "LocalPath.h"
#include "ResourceIds.h"
#include "widgets/ColumnFit.h"
#include "widgets/ItemSizeCache.h"
#include "widgets/ReportingView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QListView>
#include <QMimeData>
#include <QStackedLayout>
#include <QTreeView>
#include <QUrl>

#include <algorithm>

namespace yx {

namespace {

constexpr int kSmallIcon = 16;
constexpr int kLargeIcon = 32;

// What the certificate views add to the shared set-up: dropped files go up to the CertListView
// around them.
void setUpCertView(QAbstractItemView* view) {
    setUpReportingView(view, QAbstractItemView::ExtendedSelection);
    view->setAcceptDrops(false);
    view->viewport()->setAcceptDrops(false);
    view->setAutoFillBackground(true);
}

// The first certificate file among dropped URLs, empty when there is none.
QString droppedCertificate(const QMimeData* mime) {
    if (!mime || !mime->hasUrls())
        return {};
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = pathOfLocalUrl(url); // the name's bytes, whatever their encoding
        if (CertListView::isCertificateFile(path) && regularFileExistsAt(path))
            return path;
    }
    return {};
}

} // namespace

CertListView::CertListView(QWidget* parent) : QWidget(parent) {
    setObjectName(QString::number(res::IDC_CERT_LIST));
    setAcceptDrops(true);

    m_list = new ReportingView<QListView>(this, this);
    m_list->setObjectName(QStringLiteral("iconView"));
    m_details = new ReportingView<QTreeView>(this, this);
    m_details->setObjectName(QStringLiteral("detailsView"));
    setUpCertView(m_list);
    setUpCertView(m_details);

    m_list->setUniformItemSizes(true);
    m_list->setMovement(QListView::Static);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setLayoutMode(QListView::Batched); // long stores lay out in steps, the first screen at once
    m_list->setBatchSize(200);
    m_itemSizes = new ItemSizeCache(m_list); // a growing list is laid out again at every step
    m_list->setItemDelegate(m_itemSizes);

    m_details->setRootIsDecorated(false);
    m_details->setItemsExpandable(false);
    m_details->setUniformRowHeights(true);
    m_details->setAllColumnsShowFocus(true);
    m_details->setSortingEnabled(false); // rows stay in store order
    m_details->setIconSize(QSize(kSmallIcon, kSmallIcon));
    m_details->setTextElideMode(Qt::ElideRight);
    QHeaderView* header = m_details->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setSectionsClickable(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setHighlightSections(false);

    m_stack = new QStackedLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_stack->addWidget(m_list);
    m_stack->addWidget(m_details);

    setMode(Mode::LargeIcons);
}

void CertListView::setModel(CertListModel* model) {
    m_model = model;
    m_itemSizes->watch(model, CertListModel::ColIssuedTo); // first, to forget before the view measures
    m_list->setModel(model);
    m_details->setModel(model);
    m_details->setSelectionModel(m_list->selectionModel()); // one selection, one current row
    if (model) {
        for (int c = 0; c < model->columnCount(); ++c)
            m_details->header()->resizeSection(c, model->columnWidth(c));
        if (!m_columnFit) // names and dates widen to their content as each load comes in
            m_columnFit =
                ColumnFit::install(m_details, {CertListModel::ColIssuedTo, CertListModel::ColIssuer,
                                               CertListModel::ColValidTo, CertListModel::ColFriendlyName});
        connect(model, &QAbstractItemModel::modelReset, this, [this] {
            if (m_mode == Mode::SmallIcons || m_mode == Mode::List)
                configureListView(m_mode); // item width follows the longest holder name
        });
    }
    setMode(m_mode);
}

void CertListView::rowsLoaded() {
    if (m_columnFit)
        m_columnFit->fit();
}

int CertListView::itemWidthForText() const {
    int widest = 0;
    if (m_model) {
        const QFontMetrics fm = m_list->fontMetrics();
        const int rows = std::min(m_model->rowCount(), 2000); // enough to judge the width
        for (int r = 0; r < rows; ++r)
            widest = std::max(widest, fm.horizontalAdvance(m_model->text(r, CertListModel::ColIssuedTo)));
    }
    const int em = m_list->fontMetrics().height();
    return std::clamp(widest + kSmallIcon + 2 * em, 8 * em, 22 * em);
}

void CertListView::configureListView(Mode mode) {
    const int em = m_list->fontMetrics().height();
    switch (mode) {
    case Mode::LargeIcons:
        m_list->setViewMode(QListView::IconMode);
        m_list->setFlow(QListView::LeftToRight);
        m_list->setWrapping(true);
        m_list->setIconSize(QSize(kLargeIcon, kLargeIcon));
        m_list->setWordWrap(true);
        m_list->setTextElideMode(Qt::ElideRight);
        m_list->setSpacing(0);
        m_list->setUniformItemSizes(false); // names wrap onto a second line where they need it
        // Room for the icon and two lines of a holder's name, as icon views show it.
        m_list->setGridSize(
            QSize(std::max(110, 8 * em), kLargeIcon + 2 * m_list->fontMetrics().lineSpacing() + 16));
        break;
    case Mode::SmallIcons:
    case Mode::List:
        m_list->setViewMode(QListView::ListMode);
        m_list->setFlow(mode == Mode::SmallIcons ? QListView::LeftToRight : QListView::TopToBottom);
        m_list->setWrapping(true);
        m_list->setIconSize(QSize(kSmallIcon, kSmallIcon));
        m_list->setWordWrap(false);
        m_list->setTextElideMode(Qt::ElideRight);
        m_list->setSpacing(0);
        m_list->setUniformItemSizes(true); // one line each: the first item's size fits all
        m_list->setGridSize(QSize(itemWidthForText(), std::max(kSmallIcon + 4, em + 4)));
        break;
    case Mode::Details:
        break;
    }
    // Icon mode turns on moving and dragging items; a certificate list keeps its order.
    m_list->setMovement(QListView::Static);
    m_list->setDragEnabled(false);
    m_list->setDragDropMode(QAbstractItemView::NoDragDrop);
    m_list->setAcceptDrops(false);
    m_list->viewport()->setAcceptDrops(false);
}

void CertListView::setMode(Mode mode) {
    const bool wasUpdating = updatesEnabled();
    setUpdatesEnabled(false);
    m_mode = mode;
    if (m_model)
        m_model->setLargeIcons(mode == Mode::LargeIcons);
    QAbstractItemView* before = currentView();
    if (mode == Mode::Details) {
        m_stack->setCurrentWidget(m_details);
    } else {
        configureListView(mode);
        m_stack->setCurrentWidget(m_list);
    }
    QAbstractItemView* view = currentView();
    setFocusProxy(view);
    if (before != view && before->hasFocus())
        view->setFocus(Qt::OtherFocusReason);
    if (view->currentIndex().isValid())
        view->scrollTo(view->currentIndex());
    setUpdatesEnabled(wasUpdating);
}

QAbstractItemView* CertListView::currentView() const {
    return m_stack->currentWidget() == m_details ? static_cast<QAbstractItemView*>(m_details)
                                                 : static_cast<QAbstractItemView*>(m_list);
}

int CertListView::currentRow() const {
    const QModelIndex current = currentView()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

int CertListView::rowAt(const QPoint& viewportPos) const {
    const QModelIndex hit = currentView()->indexAt(viewportPos);
    return hit.isValid() ? hit.row() : -1;
}

QPoint CertListView::menuAnchor(int row) const {
    QAbstractItemView* view = currentView();
    if (m_model && row >= 0 && row < m_model->rowCount()) {
        const QRect rect = view->visualRect(m_model->index(row, 0));
        if (rect.isValid() && view->viewport()->rect().intersects(rect))
            return view->viewport()->mapToGlobal(QPoint(rect.left() + rect.height() / 2, rect.bottom()));
    }
    return view->viewport()->mapToGlobal(QPoint(8, 8));
}

bool CertListView::isCertificateFile(const QString& path) {
    static const QStringList kSuffixes = {QStringLiteral("pfx"), QStringLiteral("p12"), QStringLiteral("cer"),
                                          QStringLiteral("crt"), QStringLiteral("der")};
    return kSuffixes.contains(QFileInfo(path).suffix().toLower());
}

void CertListView::viewPressed(int row, Qt::MouseButton button) {
    if (button == Qt::LeftButton)
        emit rowPressed(row);
}

void CertListView::viewDoubleClicked(int row) {
    if (row >= 0)
        emit rowDoubleClicked(row);
}

void CertListView::viewContextMenu(int row, const QPoint& globalPos) {
    emit contextMenuRequested(row, globalPos);
}

bool CertListView::viewKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit openKey(currentRow());
        return true;
    case Qt::Key_Delete:
        emit deleteKey(currentRow());
        return true;
    case Qt::Key_F5:
        emit refreshKey();
        return true;
    default:
        return false;
    }
}

void CertListView::viewMovedByKeyboard(int row) {
    emit currentMovedByKeyboard(row);
}

void CertListView::dragEnterEvent(QDragEnterEvent* event) {
    if (droppedCertificate(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CertListView::dragMoveEvent(QDragMoveEvent* event) {
    dragEnterEvent(static_cast<QDragEnterEvent*>(event));
}

void CertListView::dropEvent(QDropEvent* event) {
    const QString path = droppedCertificate(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // The import runs a modal dialog: let the drag source finish its drop first.
    QMetaObject::invokeMethod(
        this, [this, path] { emit fileDropped(path); }, Qt::QueuedConnection);
}

} // namespace yx
