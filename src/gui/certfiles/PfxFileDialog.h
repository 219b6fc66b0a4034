// PfxFileDialog: what the PFX export and import dialogs share: the path field with its "..."
// chooser (PFX files), the password field, a third field the subclass adds (the confirmation, the
// provider) and OK/Cancel. The values are the ones taken over at the last OK; a choice with "..."
// puts them back into the fields, so what was typed since is dropped.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

class PfxFileDialog : public QDialog {
    Q_OBJECT
public:
    const QString& path() const { return m_path; }
    const QString& password() const { return m_password; }

protected:
    // Makes the path field, its "..." and the password field, in that order.
    PfxFileDialog(int dialogId, const QString& title, bool save, int pathId, int passwordId, QWidget* parent);

    // Lays the fields out (the subclass's `third` below the password) and fills them.
    void finishLayout(const QString& pathLabel, const QString& passwordLabel, const QString& thirdLabel,
                      QWidget* third);

    // Fields -> values, values -> fields; the subclass does its third field.
    void takeOver();
    void refresh();
    virtual void takeOverThird() = 0;
    virtual void refreshThird() = 0;

private:
    void onBrowse();

    bool m_save;
    QLineEdit* m_pathEdit;
    QLineEdit* m_passwordEdit;
    QPushButton* m_browse;
    QString m_path;
    QString m_password;
};
