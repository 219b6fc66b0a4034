// CertListModel: the rows of a certificate list page, one per certificate of the page's store in
// store order (row = store index). Each row holds its certificate's context (shared with the
// store), so the list can be painted while a reload or a revocation check is under way and a
// store that failed to reopen still shows its old rows. A row's texts are made when the row is
// first displayed or asked for, so a load costs little more than reading the store, and a long
// list paints its first screen without making the texts of the rows below it. The icon follows
// the view: 32 x 32 (icon 257) for large icons, 16 x 16 (icon 255) otherwise.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>

#include "CertContext.h"

#include <array>
#include <optional>
#include <vector>

class CCertStore;
class CDigitalCertificate;

namespace yx {

class CertListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColIssuedTo = 0, ColIssuer = 1, ColValidTo = 2, ColFriendlyName = 3, ColStatus = 4 };
    static constexpr int kColumnCount = 5;

    // withStatus: the personal and other-people pages show the revocation status column.
    explicit CertListModel(bool withStatus, QObject* parent = nullptr);

    bool hasStatusColumn() const { return m_withStatus; }

    // Empties the list.
    void clear();
    // Replaces the rows with the certificates of `store` (columns 0 to 3; status empty).
    void fill(CCertStore& store);
    // Adds rows at the end for certificates a stepped load has just read (texts made on display).
    void appendRows(const std::vector<CertContextPtr>& certs);
    // Puts status texts into the rows from `firstRow` on, one change signal for them all.
    void setStatuses(int firstRow, const std::vector<QString>& statuses);
    // The column texts of one certificate; unreadable fields are empty.
    static std::array<QString, 4> rowTexts(CDigitalCertificate& cert);
    // Makes every row's texts at fill() instead of on first display: the way loads went before,
    // kept for comparison in the benchmark.
    static void setTextsAtFill(bool atFill);

    QString text(int row, int column) const;
    void setStatus(int row, const QString& status);
    void setFriendlyName(int row, const QString& name);

    // Large icons (icon 257) or small ones (icon 255).
    void setLargeIcons(bool large);
    bool largeIcons() const { return m_large; }

    // Column titles and widths in pixels.
    static QString columnTitle(int column);
    static int columnWidth(int column);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Row {
        CertContextPtr ctx; // null for an entry the store could not give
        mutable std::optional<std::array<QString, 4>> texts;
        QString status;
    };
    const std::array<QString, 4>& textsOf(const Row& row) const;
    QString cell(const Row& row, int column) const;

    bool m_withStatus;
    bool m_large = true;
    std::vector<Row> m_rows;
    QIcon m_smallIcon;
    QIcon m_largeIcon;
};

} // namespace yx
