// CConfigDialog: all settings of the program on four tabs: the start-up update check, the
// online revocation check, the registration-authority sites with the default one, and the
// default file-encryption certificate. Nothing is written before OK; OK writes every setting,
// in a fixed order: update check, revocation check, the sites, the default site, the default
// encryption certificate.
#pragma once

#include <QDialog>

class CCrlTab;
class CEncCertTab;
class CRaSiteTab;
class CUpdateTab;
class QTabWidget;

class CConfigDialog : public QDialog {
    Q_OBJECT
public:
    enum Tab { UpdateTab = 0, CrlTab = 1, RaSiteTab = 2, EncCertTab = 3 };

    // initialTab 0..3 opens on that tab; any other value shows no page at first.
    explicit CConfigDialog(int initialTab = UpdateTab, QWidget* parent = nullptr);

    int initialTab() const { return m_initialTab; }
    QTabWidget* tabs() const { return m_tabs; }
    CUpdateTab* updateTab() const { return m_update; }
    CCrlTab* crlTab() const { return m_crl; }
    CRaSiteTab* raSiteTab() const { return m_ra; }
    CEncCertTab* encCertTab() const { return m_enc; }

public slots:
    void accept() override; // writes every setting; a failed write leaves the dialog open

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool writeSettings();

    int m_initialTab;
    bool m_shown = false;
    QTabWidget* m_tabs;
    CUpdateTab* m_update;
    CCrlTab* m_crl;
    CRaSiteTab* m_ra;
    CEncCertTab* m_enc;
};

namespace yx {

// Runs the configuration dialog modally on a tab; QDialog::Accepted when it ended with OK.
int RunConfigDialog(int initialTab, QWidget* parent = nullptr);

} // namespace yx
