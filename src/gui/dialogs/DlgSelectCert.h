// CDlgSelectCert: the certificate chooser. Lists the certificates the store's current filter lets
// through; the caller reads the selection after OK and takes store->getCert(selection).
#pragma once

#include <QDialog>
#include <QString>

class CCertStore;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class CDlgSelectCert : public QDialog {
    Q_OBJECT
public:
    CDlgSelectCert(CCertStore* store, const QString& title, QWidget* parent = nullptr);

    // The row of the last selection change, -1 when none.
    int selection() const { return m_selection; }

private:
    void onSelectionChanged(QTreeWidgetItem* item);
    void viewSelected();
    void viewRow(int row);

    CCertStore* m_store; // not owned
    int m_lastHit = -1;
    int m_selection = -1;
    QString m_title;
    QPushButton* m_ok = nullptr;
    QPushButton* m_view = nullptr;
    QTreeWidget* m_list = nullptr;
};
