// CDlgProtectPassword: asks for the protection password of an encryption, twice.
#pragma once

#include <QDialog>

class QLineEdit;

class CDlgProtectPassword : public QDialog {
    Q_OBJECT
public:
    explicit CDlgProtectPassword(QWidget* parent = nullptr);

    QString password() const;

public slots:
    void accept() override; // empty or different entries keep the dialog open with a message

private:
    QLineEdit* m_password;
    QLineEdit* m_confirm;
};
