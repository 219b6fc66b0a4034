// CDlgEnterPassword: asks for the protection password of an encrypted file before it is
// decrypted.
#pragma once

#include <QDialog>

class QLineEdit;

class CDlgEnterPassword : public QDialog {
    Q_OBJECT
public:
    explicit CDlgEnterPassword(QWidget* parent = nullptr);

    QString password() const;

public slots:
    void accept() override; // an empty password keeps the dialog open with a message

private:
    QLineEdit* m_password;
};
