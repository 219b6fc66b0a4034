// CertFileDialog: the one-path dialog behind certificate file import and export: a label, the
// path field with its "..." chooser (CER files) and OK/Cancel. Subclasses give id, title, label
// and the chooser's direction, and check the path in their accept().
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

class CertFileDialog : public QDialog {
    Q_OBJECT
public:
    // The path taken over when OK was last pressed (or chosen with "...").
    const QString& path() const { return m_path; }

protected:
    CertFileDialog(int dialogId, const QString& title, const QString& label, bool save, QWidget* parent);

    // Takes the path field's text over as the path and returns it.
    const QString& takeOverPath();

private:
    void onBrowse();

    bool m_save;
    QLineEdit* m_pathEdit;
    QString m_path;
};
