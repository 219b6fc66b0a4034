// Shared pieces of the e-mail page and dialog tests: certificates made at run time and put into
// the personal and other-people stores, a real directory server (slapd) with people on host B,
// the local address book as vCard files, and driving the dialogs' lists and buttons by id.
#pragma once

#include "CertStore.h"
#include "DialogDriver.h"
#include "DigitalCertificate.h"
#include "OEAddrBook.h"
#include "People.h"
#include "Settings.h"
#include "SlapdFixture.h"
#include "TestPki.h"
#include "mail/MailListModel.h"
#include "mail/MailListView.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QDir>
#include <QTest>
#include <QTreeWidget>

#include <openssl/x509v3.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mailtest {

using yxtest::Bytes;

inline constexpr int kSignAndCrypt = KU_DIGITAL_SIGNATURE | KU_KEY_ENCIPHERMENT;

inline yxtest::Issued issue(yxtest::TestCa& ca, const std::string& cn, const std::string& email,
                            int keyUsage = kSignAndCrypt) {
    yxtest::CertProfile profile;
    profile.cn = cn;
    profile.email = email;
    profile.keyUsage = keyUsage;
    return ca.issue(profile);
}

using yxtest::thumbOf;

// A certificate with its private key into the personal store; another's into the other people's.
inline void addMine(const yxtest::Issued& mine) {
    QVERIFY(yxtest::addToStore("my", mine));
}
inline void addOther(const Bytes& der) {
    QVERIFY(yx::makeDiskStoreBackend("other")->add(der, {}, std::nullopt, ""));
}

// One contact of the local address book as a vCard file, with its certificates as KEYs.
inline void addVCard(const std::string& file, const std::string& name, const std::string& email,
                     const std::vector<Bytes>& keys = {}) {
    QDir().mkpath(QString::fromStdString(COEAddrBook::folder()));
    std::string text =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name + "\r\nEMAIL;TYPE=INTERNET:" + email + "\r\n";
    for (const Bytes& der : keys) {
        const QByteArray b64 =
            QByteArray(reinterpret_cast<const char*>(der.data()), static_cast<int>(der.size())).toBase64();
        text += "KEY;ENCODING=b:" + b64.toStdString() + "\r\n";
    }
    text += "END:VCARD\r\n";
    yxtest::writeFile(COEAddrBook::folder(), file, text);
}

// slapd with `people` on host B (host A empty); points the program's directory hosts at it.
// Null (and the test skips) where slapd cannot run.
inline std::unique_ptr<yxtest::SlapdFixture>
startDirectory(const std::vector<yxtest::DirectoryEntry>& people) {
    if (!yxtest::SlapdFixture::unavailableReason().empty())
        return nullptr;
    auto slapd = std::make_unique<yxtest::SlapdFixture>();
    std::string error;
    if (!slapd->start({}, people, error)) {
        qWarning("slapd: %s", error.c_str());
        return nullptr;
    }
    yx::settings::WriteProfileString("Directory", "HostA", slapd->urlA());
    yx::settings::WriteProfileString("Directory", "HostB", slapd->urlB());
    return slapd;
}

inline std::string downHost() {
    return "ldap://127.0.0.1:" + std::to_string(yxtest::closedPort()) + "/dc=down,dc=test";
}

using yxtest::click;
using yxtest::control;
using yxtest::q;

inline bool enabled(QWidget* dialog, int id) {
    return control(dialog, id)->isEnabled();
}

// A press on a row of a tree list (-1: below the rows), as the mouse gives it.
inline void pressRow(QWidget* dialog, int listId, int row, Qt::MouseButton button = Qt::LeftButton) {
    auto* tree = control<QTreeWidget>(dialog, listId);
    QPoint pos(5, tree->viewport()->height() - 3);
    if (row >= 0) {
        QTreeWidgetItem* item = tree->topLevelItem(row);
        QVERIFY(item);
        pos = tree->visualItemRect(item).center();
    }
    QTest::mouseMove(tree->viewport(), pos);
    QTest::mouseClick(tree->viewport(), button, {}, pos);
}

// Steps of a ModalScript: press a button; choose a row of a list and press OK.
inline std::function<void(QDialog*)> pressing(int id) {
    return [id](QDialog* dialog) { click(dialog, id); };
}
inline std::function<void(QDialog*)> choosing(int listId, int row = 0) {
    return [listId, row](QDialog* dialog) {
        pressRow(dialog, listId, row);
        click(dialog, 1); // OK
    };
}

// Where a row of the page's list is (-1: beside the items), and clicks there.
inline QPoint rowPos(yx::MailListView* list, int row) {
    QAbstractItemView* view = list->currentView();
    if (row < 0)
        return QPoint(view->viewport()->width() - 4, view->viewport()->height() - 4);
    return view->visualRect(list->model()->index(row, 0)).center();
}
inline void press(yx::MailListView* list, int row) {
    QTest::mouseClick(list->currentView()->viewport(), Qt::LeftButton, {}, rowPos(list, row));
}
inline void doubleClick(yx::MailListView* list, int row) {
    QTest::mouseDClick(list->currentView()->viewport(), Qt::LeftButton, {}, rowPos(list, row));
}

inline QStringList rowTexts(QWidget* dialog, int listId) {
    QStringList out;
    auto* tree = control<QTreeWidget>(dialog, listId);
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        out << tree->topLevelItem(i)->text(0);
    return out;
}

} // namespace mailtest
