// CDlgChangeBackupPassword: re-protects a PFX backup file with a new password, writing a new
// target file. It does the work itself on OK and closes only after a successful change.
#pragma once

#include "dialogs/DialogIds.h"

#include <QDialog>
#include <QString>

class QLineEdit;

class CDlgChangeBackupPassword : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDD = yx::res::IDD_CHANGE_BACKUP_PASSWORD;

    explicit CDlgChangeBackupPassword(QWidget* parent = nullptr);

    const QString& sourcePath() const { return m_sourcePath; }
    const QString& targetPath() const { return m_targetPath; }

public slots:
    // Checks in order: both paths given, source present, new passwords equal, overwrite
    // confirmed; then changes the password and reports the result.
    void accept() override;

private:
    void chooseSource();
    void chooseTarget();
    void takeOver();
    void refresh();

    QLineEdit* m_sourcePathEdit;
    QLineEdit* m_sourcePasswordEdit;
    QLineEdit* m_targetPathEdit;
    QLineEdit* m_newPasswordEdit;
    QLineEdit* m_confirmEdit;
    QString m_sourcePath;
    QString m_sourcePassword;
    QString m_targetPath;
    QString m_newPassword;
    QString m_confirm;
};
