// MailListModel: the rows of one of the e-mail page's lists: two texts and an image per row, with
// the image drawn from a 16 x 16 or a 32 x 32 set by the view style. The home list and the detail
// list each own one; a fill replaces columns, images and rows together.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>

#include <array>
#include <vector>

namespace yx {

class MailListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString title;
        int width;
    };
    struct Row {
        std::array<QString, 2> texts;
        int image = 0; // index into the image sets
    };
    struct ImageSet {
        std::vector<QIcon> small; // 16 x 16
        std::vector<QIcon> large; // 32 x 32
    };

    explicit MailListModel(QObject* parent = nullptr);

    // Replaces everything the list shows.
    void reset(std::vector<Column> columns, ImageSet images, std::vector<Row> rows);
    // No columns, no rows.
    void clear();

    QString text(int row, int column) const;
    int image(int row) const; // -1 outside the rows
    int columnWidth(int column) const;

    void setLargeIcons(bool large);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<Column> m_columns;
    ImageSet m_images;
    std::vector<Row> m_rows;
    bool m_large = true;
};

} // namespace yx
