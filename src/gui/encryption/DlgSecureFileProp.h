// CDlgSecureFileProp: what the head of an encrypted file says: its version, the original file's
// type and size, the algorithm, whether a protection password is set, and the recipients.
#pragma once

#include <QDialog>
#include <QString>

class CDlgSecureFileProp : public QDialog {
    Q_OBJECT
public:
    // Leading white space, then leading and trailing double quotes are removed from the path.
    explicit CDlgSecureFileProp(const QString& path, QWidget* parent = nullptr);

    QString path() const { return m_path; }

private:
    QString m_path;
};
