// CDlgDecryptFile: names the encrypted file and the decrypted file, and shows which of the file's
// recipient certificates the user holds so that one can be chosen. Version 1 files offer no
// choice. The caller reads the head, the chosen record and the paths after OK.
#pragma once

#include "DecryptHeadReader.h"

#include <QDialog>
#include <QString>

#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CDlgDecryptFile : public QDialog {
    Q_OBJECT
public:
    explicit CDlgDecryptFile(QWidget* parent = nullptr);

    // A source path from outside: leading white space, then surrounding double quotes removed.
    void SetSourcePath(const QString& path);

    // One of several files: the source and target are shown but not chosen or edited, and the
    // caller asks about existing targets. The certificate chosen is the one to prefer for all.
    void SetSeveral(int count);

    // Loads a preset source first; when that fails the dialog ends at once as if cancelled.
    int exec() override;

    // What the caller reads after OK.
    QString sourcePath() const;
    QString targetPath() const;
    const yx::kvx::DecryptHead& head() const { return m_head; }
    // The record chosen in the certificate box (index into head().records), -1 when none.
    int chosenRecord() const;
    // The header's extension, or empty when it would name another folder.
    std::string headerExtension() const;

public slots:
    void accept() override; // the checks in their fixed order; the dialog stays open after a message

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool initialise();
    bool loadSource();
    void chooseSource();
    void chooseTarget();
    void viewCertificate();

    int m_selected = -1;                    // the box's item taken over at OK
    yx::kvx::DecryptHead m_head;            // marker, header, records, data offset
    std::vector<std::string> m_thumbprints; // usable records, in box order
    std::vector<size_t> m_indexes;          // their places in the record list
    bool m_initialised = false;
    bool m_several = false;

    QComboBox* m_certBox = nullptr;
    QLineEdit* m_sourceEdit = nullptr;
    QLineEdit* m_targetEdit = nullptr;
    QPushButton* m_view = nullptr;
    QLabel* m_choiceLabel = nullptr;
    QLabel* m_v1Label = nullptr;
};
