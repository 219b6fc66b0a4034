#include "Page.h"

#include "MenuResources.h"
#include "ResourceIds.h"
#include "ShellHelpers.h"

#include <QAction>
#include <QMenu>

#include <algorithm>
#include <vector>

namespace yx {

namespace {
const char* const kOperationsTitle = "操作(&O)";
const char* const kViewTitle = "查看(&V)";
} // namespace

Page::Page(int pageIndex, int dialogId, QWidget* parent)
    : QWidget(parent), m_pageIndex(pageIndex), m_dialogId(dialogId) {
    setObjectName(QString::number(dialogId));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setFocusPolicy(Qt::StrongFocus);
}

void Page::activate() {
    mergeOperationsMenu(createOperationsMenu());
    mergeViewMenu(createViewMenu());
    onActivate();
    emit activated();
}

bool Page::onCommand(int id) {
    if (id == res::ID_HELP) {
        OpenHelpFile();
        return true;
    }
    return false;
}

void Page::mergeOperationsMenu(QMenu* menu) {
    if (!menu)
        menu = new QMenu;
    if (!m_host) {
        delete menu;
        return;
    }
    m_ops = menu;
    m_host->replaceMenu(res::kMenuPosOperations, menu, QString::fromUtf8(kOperationsTitle));
}

void Page::mergeViewMenu(QMenu* menu) {
    if (!menu)
        menu = new QMenu; // a page without view commands still owns an (empty) view popup
    if (!m_host) {
        delete menu;
        return;
    }
    m_view = menu;
    m_host->replaceMenu(res::kMenuPosView, menu, QString::fromUtf8(kViewTitle));
}

QMenu* Page::currentOperationsMenu() const {
    return m_host && m_ops && m_host->menuAt(res::kMenuPosOperations) == m_ops ? m_ops.data() : nullptr;
}

QMenu* Page::currentViewMenu() const {
    return m_host && m_view && m_host->menuAt(res::kMenuPosView) == m_view ? m_view.data() : nullptr;
}

void Page::runContextMenu(QMenu* menu, const QPoint& globalPos) {
    if (!menu)
        return;
    QAction* chosen = menu->exec(globalPos);
    const int id = menus::commandId(chosen);
    delete menu;
    if (id >= 0)
        onCommand(id);
}

QMenu* Page::loadPopupWithout(int menuId, std::initializer_list<int> positions) {
    QMenu* menu = menus::loadPopup(menuId);
    if (!menu)
        return nullptr;
    std::vector<int> sorted(positions);
    std::sort(sorted.rbegin(), sorted.rend());
    for (int pos : sorted)
        menus::removeItemAt(menu, pos);
    return menu;
}

QMenu* Page::loadCommonViewMenu() {
    QMenu* space = menus::loadPopup(res::IDR_CERT_SPACE);
    QMenu* view = menus::takeSubmenuAt(space, 4, nullptr);
    delete space;
    return view;
}

} // namespace yx
