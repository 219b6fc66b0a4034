#include "SecureFileFlow.h"

#include "DlgSecureFileProp.h"

namespace yx {

void ShowSecureFileProperties(const QString& path, QWidget* parent) {
    CDlgSecureFileProp dialog(path, parent);
    dialog.exec();
}

} // namespace yx
