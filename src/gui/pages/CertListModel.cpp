#include "CertListModel.h"

#include "Artwork.h"
#include "CertStore.h"
#include "DigitalCertificate.h"
#include "ResourceIds.h"
#include "publish/CertPublishCommands.h"
#include "viewer/CertIcons.h"

#include <QBrush>
#include <QColor>

namespace yx {

namespace {

struct ColumnDef {
    const char* title;
    int width;
};

constexpr ColumnDef kColumns[CertListModel::kColumnCount] = {
    {"颁发给", 200}, {"颁发者", 200}, {"截止日期", 150}, {"好记的名字", 80}, {"证书状态", 80},
};

bool g_textsAtFill = false;

QIcon iconOrFallback(int id) {
    QIcon icon = art::icon(id);
    return icon.isNull() ? viewer::certificateIcon() : icon;
}

QString textOf(CDigitalCertificate& cert, int (CDigitalCertificate::*get)(std::string&)) {
    std::string value;
    if ((cert.*get)(value) != CDigitalCertificate::kOk)
        return {};
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

// A quiet hint of the status beside its text: revoked and broken checks stand out.
QVariant statusColour(const QString& status) {
    if (status == QStringLiteral("已吊销"))
        return QBrush(QColor(0xb0, 0x1c, 0x1c));
    if (status == QStringLiteral("错误"))
        return QBrush(QColor(0xb3, 0x5c, 0x00));
    if (status == QStringLiteral("有效"))
        return QBrush(QColor(0x1b, 0x6e, 0x2f));
    if (!status.isEmpty())
        return QBrush(QColor(0x5f, 0x63, 0x68));
    return {};
}

} // namespace

CertListModel::CertListModel(bool withStatus, QObject* parent)
    : QAbstractTableModel(parent), m_withStatus(withStatus), m_smallIcon(iconOrFallback(res::IDI_CERT_SMALL)),
      m_largeIcon(iconOrFallback(res::IDI_CERT_LARGE)) {}

void CertListModel::clear() {
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

std::array<QString, 4> CertListModel::rowTexts(CDigitalCertificate& cert) {
    return {textOf(cert, &CDigitalCertificate::getDisplayName),
            textOf(cert, &CDigitalCertificate::getIssuerCN),
            textOf(cert, &CDigitalCertificate::getValidToDate),
            textOf(cert, &CDigitalCertificate::getFriendlyName)};
}

void CertListModel::setTextsAtFill(bool atFill) {
    g_textsAtFill = atFill;
}

void CertListModel::fill(CCertStore& store) {
    std::vector<Row> rows;
    const int count = store.GetCertCount();
    rows.resize(static_cast<size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        Row& row = rows[static_cast<size_t>(i)];
        if (CDigitalCertificate* cert = store.getCert(i)) {
            row.ctx = cert->getPCCERT();
            if (g_textsAtFill)
                row.texts = rowTexts(*cert);
        }
    }
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void CertListModel::appendRows(const std::vector<CertContextPtr>& certs) {
    if (certs.empty())
        return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(certs.size()) - 1);
    m_rows.reserve(m_rows.size() + certs.size());
    for (const auto& ctx : certs) {
        Row row;
        row.ctx = ctx;
        if (g_textsAtFill && ctx) {
            CDigitalCertificate cert(ctx);
            row.texts = rowTexts(cert);
        }
        m_rows.push_back(std::move(row));
    }
    endInsertRows();
}

void CertListModel::setStatuses(int firstRow, const std::vector<QString>& statuses) {
    const int last = std::min(firstRow + static_cast<int>(statuses.size()), rowCount()) - 1;
    if (!m_withStatus || firstRow < 0 || last < firstRow)
        return;
    for (int r = firstRow; r <= last; ++r)
        m_rows[static_cast<size_t>(r)].status = statuses[static_cast<size_t>(r - firstRow)];
    // Only the status column: the first column's tooltip mentions the status too, but views ask
    // for tooltips as they show them, and a change in the first column would have the icon view
    // measure each of these rows again.
    emit dataChanged(index(firstRow, ColStatus), index(last, ColStatus));
}

const std::array<QString, 4>& CertListModel::textsOf(const Row& row) const {
    if (!row.texts) {
        if (row.ctx) {
            CDigitalCertificate cert(row.ctx);
            row.texts = rowTexts(cert);
        } else {
            row.texts.emplace();
        }
    }
    return *row.texts;
}

QString CertListModel::cell(const Row& row, int column) const {
    if (column == ColStatus)
        return row.status;
    return textsOf(row)[static_cast<size_t>(column)];
}

QString CertListModel::text(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    return cell(m_rows[static_cast<size_t>(row)], column);
}

void CertListModel::setStatus(int row, const QString& status) {
    if (!m_withStatus || row < 0 || row >= rowCount())
        return;
    m_rows[static_cast<size_t>(row)].status = status;
    const QModelIndex at = index(row, ColStatus);
    emit dataChanged(at, at); // (the first column's tooltip: as in setStatuses)
}

void CertListModel::setFriendlyName(int row, const QString& name) {
    if (row < 0 || row >= rowCount())
        return;
    Row& r = m_rows[static_cast<size_t>(row)];
    textsOf(r);
    (*r.texts)[ColFriendlyName] = name;
    emit dataChanged(index(row, ColFriendlyName), index(row, ColFriendlyName));
}

void CertListModel::setLargeIcons(bool large) {
    if (m_large == large)
        return;
    m_large = large;
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

QString CertListModel::columnTitle(int column) {
    return column >= 0 && column < kColumnCount ? QString::fromUtf8(kColumns[column].title) : QString();
}

int CertListModel::columnWidth(int column) {
    return column >= 0 && column < kColumnCount ? kColumns[column].width : 0;
}

int CertListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CertListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : (m_withStatus ? kColumnCount : kColumnCount - 1);
}

QVariant CertListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const Row& row = m_rows[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return cell(row, index.column());
    case Qt::DecorationRole:
        if (index.column() == ColIssuedTo)
            return m_large ? m_largeIcon : m_smallIcon;
        return {};
    case Qt::ForegroundRole:
        if (index.column() == ColStatus)
            return statusColour(row.status);
        return {};
    case Qt::ToolTipRole: {
        // In the icon views only the holder is visible; the tooltip gives the rest.
        QStringList lines;
        for (int c = 0; c < columnCount(); ++c)
            if (const QString value = cell(row, c); !value.isEmpty())
                lines << columnTitle(c) + QStringLiteral("：") + value;
        if (row.ctx) // read when asked for, never while the list loads
            if (const QString where = publishcmd::publishedPlaces(row.ctx->der); !where.isEmpty())
                lines << QStringLiteral("已发布到：") + where;
        return lines.join(QLatin1Char('\n'));
    }
    default:
        return {}; // alignment: left in the report and list views, centred under large icons
    }
}

QVariant CertListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    if (role == Qt::DisplayRole)
        return columnTitle(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

Qt::ItemFlags CertListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace yx
