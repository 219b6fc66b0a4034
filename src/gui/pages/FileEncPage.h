// The file encryption page: three tasks in one list (encrypt a file, decrypt a file, set the
// default encryption certificate), run by a double click, the context menus or the page's menus.
// The list shows large icons, small icons, a list or details. Files dropped on the page are
// encrypted (a ".kvx" file is decrypted instead); several are one job each way.
#pragma once

#include "Page.h"

#include <QString>

class QAbstractItemView;
class QListView;
class QStackedLayout;
class QStandardItemModel;
class QTreeView;
class QUrl;

namespace yx {

class FileEncPage : public Page {
    Q_OBJECT
public:
    enum Item { ItemEncrypt = 0, ItemDecrypt = 1, ItemDefaultCert = 2, ItemCount = 3 };
    enum class ViewMode { LargeIcons, SmallIcons, List, Details };

    explicit FileEncPage(QWidget* parent = nullptr);

    // The encrypted file the decrypt command starts with (the command line's decrypt operation):
    // leading white space, then leading and trailing double quotes removed.
    void SetPresetPath(const QString& path);
    QString presetPath() const { return m_presetPath; }

    bool onCommand(int id) override;

    // The item last hit by a double click or a right click, -1 for none.
    int lastHit() const { return m_lastHit; }

    // The list control (1095) and the view it shows now.
    QWidget* listControl() const { return m_list; }
    QAbstractItemView* currentView() const;
    QListView* iconView() const { return m_icons; }
    QTreeView* detailsView() const { return m_details; }
    QStandardItemModel* model() const { return m_model; }
    ViewMode viewMode() const { return m_mode; }

    // The context menu for an item (-1: the empty space), as a right click shows it.
    static QMenu* contextMenuFor(int item);

protected:
    QMenu* createOperationsMenu() override;
    QMenu* createViewMenu() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setViewMode(ViewMode mode);
    // Check marks on the view commands of a menu: the current view's is checked.
    void markViewMode(QMenu* menu) const;
    QMenu* pageContextMenu(int item) const;
    void runItem(int item);
    void showContextMenu(QAbstractItemView* view, const QPoint& viewportPos);
    bool acceptsDrop(const QList<QUrl>& urls) const;
    void dropFiles(const QList<QUrl>& urls);
    QWidget* ownerWindow();

    void encryptFile(const QString& source);
    void decryptFile(const QString& preset);
    void defaultCertificate();

    int m_lastHit = -1;
    QString m_presetPath;
    QWidget* m_list;
    QStackedLayout* m_stack;
    QStandardItemModel* m_model;
    QListView* m_icons;
    QTreeView* m_details;
    ViewMode m_mode = ViewMode::LargeIcons;
};

} // namespace yx
