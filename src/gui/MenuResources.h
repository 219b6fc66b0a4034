// The program's menu resources: each menu id names a list of top-level popups whose items are
// commands (by id), separators and submenus. Loading a popup builds a fresh QMenu, as loading a
// menu resource does, so a caller may cut items out of its copy. Every command action carries
// its id in data() and as its objectName.
#pragma once

#include <QString>

class QAction;
class QMenu;
class QWidget;

namespace yx::menus {

// Builds popup `index` of menu resource `menuId` (its title as the QMenu's title). Null when the
// menu or the popup does not exist. Submenus are children of the popup.
QMenu* loadPopup(int menuId, int index = 0, QWidget* parent = nullptr);

// Number of top-level popups of a menu resource (0 for an unknown id).
int popupCount(int menuId);

// The command id an action stands for, -1 for separators, submenus and foreign actions.
int commandId(const QAction* action);

// The action of a command anywhere in the menu or its submenus, or null.
QAction* findCommand(const QMenu* menu, int id);

// Removes (and deletes) the item at a position: a command, a separator or a submenu.
void removeItemAt(QMenu* menu, int position);

// Detaches and returns the submenu at a position (null when the item there is no submenu); the
// caller owns it. The item is removed from `menu`.
QMenu* takeSubmenuAt(QMenu* menu, int position, QWidget* newParent);

} // namespace yx::menus
