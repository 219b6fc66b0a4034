// CDlgImportSystemCert: lists the certificates a filtered store lets through and returns the one
// the user picks. The selection is the row under the mouse at each change of the list (the
// current row when the keyboard moved it); OK and "查看证书" follow it.
#pragma once

#include "mail/MailDialogIds.h"

#include <QDialog>
#include <QString>

class CCertStore;
class CDigitalCertificate;
class QPushButton;

namespace yx {
class CertResultList;
}

class CDlgImportSystemCert : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDD = yx::res::IDD_IMPORT_SYSTEM_CERT;

    // `store` is open and filtered, and outlives the dialog. A non-empty `title` names whose
    // certificates are listed.
    CDlgImportSystemCert(CCertStore* store, const QString& title, QWidget* parent = nullptr);

    // After OK: the store's certificate of the selected row, null without a selection.
    CDigitalCertificate* GetCert() const;
    int selectedRow() const { return m_row; }

private:
    void select(int row);
    void view();

    CCertStore* m_store; // not owned
    int m_row = -1;
    yx::CertResultList* m_list;
    QPushButton* m_view;
    QPushButton* m_ok;
};
