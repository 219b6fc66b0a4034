#include "DialogKit.h"

#include "Artwork.h"
#include "DigitalCertificate.h"
#include "LocalPath.h"
#include "ResourceIds.h"
#include "viewer/CertIcons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace yx::dlgkit {

// Paths pass through these too: bytes that are not UTF-8 (a GBK file name) come back unchanged.
std::string utf8(const QString& text) {
    return pathBytes(text);
}

QString qstr(const std::string& text) {
    return pathText(text);
}

MsgAnswer say(QWidget* owner, const std::string& text, MsgIcon icon, MsgButtons buttons,
              const std::string& caption) {
    return prompt().message(text, caption, icon, buttons, owner);
}

std::optional<QString> choosePath(QWidget* owner, bool save, const std::string& defaultSuffix,
                                  const char* filter, const QString& initialPath) {
    FileChooserRequest request;
    request.save = save;
    request.filter = filter;
    request.defaultSuffix = defaultSuffix;
    request.initialPath = utf8(initialPath);
    request.overwritePrompt = false;
    const std::optional<std::string> chosen = prompt().chooseFile(request, owner);
    if (!chosen)
        return std::nullopt;
    return qstr(*chosen);
}

QPushButton* sideButton(QWidget* parent, int id, const QString& text) {
    auto* button = withId(new QPushButton(text, parent), id);
    button->setAutoDefault(false);
    return button;
}

QDialogButtonBox* okCancelButtons(QDialog* dialog, const QString& okText, const QString& cancelText) {
    auto* box = new QDialogButtonBox(dialog);
    QPushButton* ok = withId(box->addButton(okText, QDialogButtonBox::AcceptRole), res::IDOK);
    QPushButton* cancel = withId(box->addButton(cancelText, QDialogButtonBox::RejectRole), res::IDCANCEL);
    ok->setDefault(true);
    cancel->setAutoDefault(false);
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

QPushButton* chooserLayout(QDialog* dialog, QWidget* list, QPushButton* side, QDialogButtonBox* buttons) {
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(side);
    bottom->addStretch(1);
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(list, 1);
    layout->addLayout(bottom);
    QPushButton* ok = buttons->findChild<QPushButton*>(QString::number(res::IDOK));
    ok->setEnabled(false);
    return ok;
}

QIcon certRowIcon() {
    QIcon icon = art::icon(res::IDI_CERT_SMALL);
    return icon.isNull() ? viewer::certificateIcon() : icon;
}

void fitDialog(QDialog* dialog, int minEm) {
    const int em = dialog->fontMetrics().height();
    dialog->setMinimumWidth(em * minEm);
    const QSize hint = dialog->sizeHint();
    dialog->resize(std::max(hint.width(), em * minEm), hint.height());
}

bool pathExists(const QString& path) {
    if (path.isEmpty())
        return false;
    std::error_code ec;
    // The link itself counts: an entry of that name is there, whatever it points to.
    return std::filesystem::exists(std::filesystem::symlink_status(std::filesystem::path(utf8(path)), ec));
}

bool confirmOverwrite(QWidget* owner) {
    return say(owner, "您所指定的文件已经存在，要覆盖它吗？", MsgIcon::Warning, MsgButtons::YesNo) ==
           MsgAnswer::Yes;
}

QLineEdit* passwordEdit(QWidget* parent, int id) {
    auto* edit = withId(new QLineEdit(parent), id);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

QLineEdit* pathEdit(QWidget* parent, int id) {
    auto* edit = withId(new QLineEdit(parent), id);
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * 40);
    return edit;
}

QPushButton* browseButton(QWidget* parent, int id, const QString& text) {
    QPushButton* button = dlgkit::sideButton(parent, id, text);
    if (text == QLatin1String("...")) {
        // As narrow as its text allows, but still an easy target.
        const int em = button->fontMetrics().height();
        button->setFixedWidth(em * 2 + button->fontMetrics().horizontalAdvance(text));
    }
    return button;
}

QString presetPath(const QString& path) {
    qsizetype begin = 0;
    while (begin < path.size() && path.at(begin).isSpace())
        ++begin;
    QString out = path.mid(begin);
    while (out.startsWith(QLatin1Char('"')))
        out.remove(0, 1);
    while (out.endsWith(QLatin1Char('"')))
        out.chop(1);
    return out;
}

bool isExistingFile(const QString& path) {
    return regularFileExistsAt(path);
}

QString certText(CDigitalCertificate* cert, int (CDigitalCertificate::*accessor)(std::string&)) {
    if (!cert)
        return {};
    std::string value;
    if ((cert->*accessor)(value) != 0)
        return {};
    return qstr(value);
}

} // namespace yx::dlgkit
