// CDlgLdapResult: shows the certificates a caller found in the directory for one e-mail address
// and returns the one the user picks. The certificates stay owned by the source.
#pragma once

#include "dialogs/DialogIds.h"

#include <QDialog>
#include <QString>

class CCertSource;
class CDigitalCertificate;
class QLabel;
class QPushButton;

namespace yx {
class CertResultList;
}

class CDlgLdapResult : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDD = yx::res::IDD_LDAP_RESULT;

    // `source` must outlive the dialog.
    CDlgLdapResult(const CCertSource& source, const QString& email, QWidget* parent = nullptr);

    // The certificate of the selected row, null when none is selected.
    CDigitalCertificate* GetSelectedCert() const;
    int selectedIndex() const { return m_selected; }

    // "总共找到<n>个与邮件“<email>”对应的证书"
    static QString countText(int count, const QString& email);

private:
    void select(int row);
    void view();

    const CCertSource& m_source;
    QString m_email;
    int m_selected = -1;
    yx::CertResultList* m_list;
    QLabel* m_label;
    QPushButton* m_viewButton;
    QPushButton* m_okButton;
};
