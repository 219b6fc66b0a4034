#include "LifecyclePage.h"

#include "MenuResources.h"
#include "ResourceIds.h"

#include <QAction>
#include <QMenu>

namespace yx {

LifecyclePage::LifecyclePage(QWidget* parent) : Page(kPageLifecycle, res::IDD_LIFECYCLE_PAGE, parent) {}

QMenu* LifecyclePage::createOperationsMenu() {
    return menus::loadPopup(res::IDR_LIFECYCLE);
}

void LifecyclePage::onActivate() {
    if (QMenu* ops = currentOperationsMenu()) {
        if (QAction* back = menus::findCommand(ops, res::ID_BROWSER_BACK))
            back->setEnabled(m_canGoBack);
        if (QAction* forward = menus::findCommand(ops, res::ID_BROWSER_FORWARD))
            forward->setEnabled(m_canGoForward);
    }
}

} // namespace yx
