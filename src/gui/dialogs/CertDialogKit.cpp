#include "CertDialogKit.h"

#include <QLineEdit>
#include <QPushButton>

#include <filesystem>
#include <system_error>

namespace yx::certdlg {

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

} // namespace yx::certdlg
