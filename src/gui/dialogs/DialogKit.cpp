#include "DialogKit.h"

#include "Artwork.h"
#include "LocalPath.h"
#include "ResourceIds.h"
#include "viewer/CertIcons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QIcon>
#include <QPushButton>

#include <algorithm>

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

} // namespace yx::dlgkit
