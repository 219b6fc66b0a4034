#include "SecureMailPage.h"

#include "MenuResources.h"
#include "ResourceIds.h"

#include <QMenu>

namespace yx {

SecureMailPage::SecureMailPage(QWidget* parent) : Page(kPageSecureMail, res::IDD_SECURE_MAIL_PAGE, parent) {}

QMenu* SecureMailPage::createOperationsMenu() {
    return loadPopupWithout(res::IDR_MAIL_HOME_SPACE, {0, 1});
}

QMenu* SecureMailPage::createViewMenu() {
    return loadCommonViewMenu();
}

} // namespace yx
