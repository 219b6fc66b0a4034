// CDlgEncryptFile: names the file to encrypt and the encrypted file, shows the default encryption
// certificate (the user's own, so the user can always open what they encrypted), offers other
// people's certificates as further recipients, and the options "delete the source" and
// "protection password". On OK it fills the caller's certificate list: the default certificate
// first, then the checked rows. The certificates live in this dialog's stores, so the dialog
// must outlive the encryption run that uses the list.
#pragma once

#include "CertStore.h"

#include <QDialog>
#include <QString>
#include <QStringList>

class CCertList;
class CDigitalCertificate;
class QCheckBox;
class QLayout;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class CDlgEncryptFile : public QDialog {
    Q_OBJECT
public:
    explicit CDlgEncryptFile(CCertList* list, QWidget* parent = nullptr);

    // A source path from outside: leading white space, then surrounding double quotes removed.
    void SetSourcePath(const QString& path);

    // Several files at once: the paths are shown but not edited, each file's encrypted file is
    // its path with ".kvx" appended, and the caller asks about existing ones. Call before exec.
    void SetSourcePaths(const QStringList& paths);

    // The caller writes the target with ".kvx" appended when it lacks it (the page's flow); the
    // overwrite question is then about that file.
    void SetAppendKvx(bool append) { m_appendKvx = append; }

    // What the caller reads after OK.
    QString sourcePath() const { return m_sourcePath; }
    QString targetPath() const { return m_targetPath; }
    // The file the encryption writes: the target, with ".kvx" appended if the caller asked.
    QString writtenTargetPath() const { return writtenTarget(m_targetPath); }
    QString password() const { return m_password; }
    bool deleteSource() const { return m_deleteSource; }

public slots:
    void accept() override; // the checks in their fixed order; the dialog stays open after a message

protected:
    void showEvent(QShowEvent* event) override; // fills the dialog the first time it shows

private:
    QLayout* buildFileRows();
    QWidget* buildDefaultGroup();
    QWidget* buildOtherGroup();
    QLayout* buildOptions();
    void connectControls();
    void initialise();
    void acceptRecipients(); // the checks every encryption shares, then the list
    void chooseSource();
    void chooseTarget();
    void changeDefault();
    void viewDefault();
    void viewOtherRow(int row);
    void protectClicked();
    CDigitalCertificate* readDefaultCertificate();
    QString writtenTarget(const QString& target) const;

    QString m_password;
    CDigitalCertificate* m_default = nullptr; // lives in m_my
    CCertList* m_list;                        // the caller's, filled at OK
    int m_lastHit = -1;
    int m_lastChanged = -1;
    COtherCertStore m_other;
    CMyCertStore m_my;
    bool m_initialised = false;
    bool m_appendKvx = false;
    bool m_several = false;

    QPushButton* m_sourceBrowse = nullptr;
    QPushButton* m_targetBrowse = nullptr;
    QPushButton* m_change = nullptr;
    QPushButton* m_otherView = nullptr;
    QTreeWidget* m_otherList = nullptr;
    QLineEdit* m_sourceEdit = nullptr;
    QLineEdit* m_targetEdit = nullptr;
    QCheckBox* m_deleteBox = nullptr;
    QCheckBox* m_protectBox = nullptr;
    QLineEdit* m_defaultName = nullptr;
    QPushButton* m_defaultView = nullptr;

    // What OK took over from the controls.
    QString m_sourcePath, m_targetPath;
    bool m_deleteSource = false;
};
