// CDlgFriendlyName: edits a certificate's friendly name. An empty name is accepted; the page then
// removes the name.
#pragma once

#include "DialogIds.h"

#include <QDialog>
#include <QString>

class QLineEdit;

class CDlgFriendlyName : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDD = yx::res::IDD_FRIENDLY_NAME;

    explicit CDlgFriendlyName(const QString& name, QWidget* parent = nullptr);

    const QString& name() const { return m_name; }

public slots:
    void accept() override;

private:
    QLineEdit* m_nameEdit;
    QString m_name;
};
