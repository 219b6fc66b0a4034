// The publish and withdraw dialog: one check box per NSS database found (program and profile
// named) with where the certificate already is; for a CA certificate being published, the trust
// to give it (none ticked to begin with). Only databases the operation can work on can be ticked.
#pragma once

#include "CertPublisher.h"
#include "PublishDialogIds.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QTreeWidget;

class CDlgPublishCert : public QDialog {
    Q_OBJECT
public:
    enum { IDD = yx::res::IDD_PUBLISH_CERT };
    enum class Mode { Publish, Withdraw };

    struct Row {
        yx::nss::NssDatabase db;
        yx::nss::Placement placement = yx::nss::Placement::Absent;
    };

    // askTrust: show the CA trust choices (publishing a CA certificate).
    CDlgPublishCert(Mode mode, const QString& certName, std::vector<Row> rows, bool askTrust,
                    QWidget* parent = nullptr);

    // After OK: the ticked databases, and the trust chosen.
    std::vector<yx::nss::NssDatabase> chosen() const;
    yx::nss::CaTrust trust() const;

    // Whether a row can be ticked in this mode, and the state text shown for it.
    static bool selectable(Mode mode, const Row& row);
    static QString stateText(const Row& row);

    void accept() override;

private:
    Mode m_mode;
    std::vector<Row> m_rows;
    QTreeWidget* m_list = nullptr;
    QCheckBox* m_trustWeb = nullptr;
    QCheckBox* m_trustEmail = nullptr;
};
