#include "CertDialogKit.h"

#include "Artwork.h"
#include "DialogIds.h"
#include "viewer/CertIcons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace yx::certdlg {

std::string utf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

bool pathExists(const QString& path) {
    if (path.isEmpty())
        return false;
    std::error_code ec;
    // The link itself counts: an entry of that name is there, whatever it points to.
    return std::filesystem::exists(std::filesystem::symlink_status(std::filesystem::path(utf8(path)), ec));
}

MsgAnswer say(QWidget* owner, const char* text, MsgIcon icon, MsgButtons buttons, const char* caption) {
    return prompt().message(text, caption, icon, buttons, owner);
}

bool confirmOverwrite(QWidget* owner) {
    return say(owner, "您所指定的文件已经存在，要覆盖它吗？", MsgIcon::Warning, MsgButtons::YesNo) ==
           MsgAnswer::Yes;
}

std::optional<QString> choosePath(QWidget* owner, bool save, const char* defaultSuffix, const char* filter) {
    FileChooserRequest request;
    request.save = save;
    request.filter = filter;
    request.defaultSuffix = defaultSuffix;
    request.overwritePrompt = false;
    const std::optional<std::string> chosen = prompt().chooseFile(request, owner);
    if (!chosen)
        return std::nullopt;
    return QString::fromStdString(*chosen);
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
    auto* button = withId(new QPushButton(text, parent), id);
    button->setAutoDefault(false);
    if (text == QLatin1String("...")) {
        // As narrow as its text allows, but still an easy target.
        const int em = button->fontMetrics().height();
        button->setFixedWidth(em * 2 + button->fontMetrics().horizontalAdvance(text));
    }
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

} // namespace yx::certdlg
