// CRaSiteDialog: edits one registration-authority web site, its URL and its display name.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

class CRaSiteDialog : public QDialog {
    Q_OBJECT
public:
    CRaSiteDialog(const QString& caption, const QString& url, const QString& name, QWidget* parent = nullptr);

    // The edited texts, valid after OK.
    QString url() const { return m_url; }
    QString name() const { return m_name; }

public slots:
    void accept() override;

private:
    QString m_url, m_name;
    QLineEdit* m_urlEdit;
    QLineEdit* m_nameEdit;
};
