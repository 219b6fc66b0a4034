#include "MenuResources.h"

#include "ResourceIds.h"

#include <QAction>
#include <QMenu>

#include <map>
#include <vector>

namespace yx::menus {
namespace {

struct Item {
    enum Kind { Command, Separator, Popup } kind;
    int id = 0;
    const char* text = "";
    std::vector<Item> items; // submenu items for Popup
};

Item cmd(int id, const char* text) {
    return {Item::Command, id, text, {}};
}
Item sep() {
    return {Item::Separator, 0, "", {}};
}
Item popup(const char* text, std::vector<Item> items) {
    return {Item::Popup, 0, text, std::move(items)};
}

using namespace yx::res;

std::vector<Item> viewItems() {
    return {cmd(ID_VIEW_LARGE_ICONS, "大图标"), cmd(ID_VIEW_SMALL_ICONS, "小图标"), cmd(ID_VIEW_LIST, "列表"),
            cmd(ID_VIEW_DETAILS, "详细信息")};
}

std::vector<Item> pageViewItems() {
    return {cmd(ID_PAGE_VIEW_LARGE_ICONS, "大图标"), cmd(ID_PAGE_VIEW_SMALL_ICONS, "小图标"),
            cmd(ID_VIEW_LIST, "列表"), cmd(ID_PAGE_VIEW_DETAILS, "详细信息")};
}

// Menu id -> its top-level popups.
const std::map<int, std::vector<Item>>& table() {
    static const std::map<int, std::vector<Item>> menus = {
        {IDR_MAINFRAME,
         {popup("文件(&F)", {cmd(ID_CHECK_UPDATE, "检查更新(&U)..."), sep(), cmd(ID_APP_EXIT, "退出(&X)")}),
          popup("工具(&T)",
                {cmd(ID_CHANGE_BACKUP_PASSWORD, "修改备份私钥(&M)"), sep(), cmd(ID_CONFIG, "配置管理(&C)")}),
          popup("操作(&O)", {}), popup("查看(&V)", {}),
          popup("帮助(&H)", {cmd(ID_APP_ABOUT, "关于(&A)"), cmd(ID_HELP_CONTENTS, "帮助(&H)")})}},
        {IDR_TRAY,
         {popup("托盘", {cmd(ID_HOMEPAGE, "岚川主页"), sep(), cmd(ID_HELP_INDEX, "帮助"),
                         cmd(ID_APP_ABOUT, "关于钥匣"), sep(), cmd(ID_CHECK_UPDATE, "检查更新..."), sep(),
                         cmd(ID_TRAY_OPEN, "打开"), cmd(ID_APP_EXIT, "退出")})}},
        {IDR_LIFECYCLE,
         {popup("操作", {cmd(ID_BROWSER_REFRESH, "刷新"), sep(), cmd(ID_BROWSER_BACK, "后退"),
                         cmd(ID_BROWSER_FORWARD, "前进"), cmd(ID_BROWSER_HOME, "返回首页")})}},
        {IDR_CERT_ROW,
         {popup("证书", {cmd(ID_CERT_OPEN, "打开"), sep(), cmd(ID_CERT_EXPORT, "导出..."),
                         cmd(ID_CERT_DELETE, "删除..."), sep(), cmd(ID_CERT_REFRESH, "刷新"), sep(),
                         cmd(ID_CERT_CRL_CHECK, "CRL检查"), cmd(ID_CERT_PROPERTIES, "属性"), sep(),
                         cmd(ID_HELP, "帮助")})}},
        {IDR_CERT_SPACE,
         {popup("证书库", {cmd(ID_CERT_IMPORT, "导入"), sep(), cmd(ID_CERT_REFRESH, "刷新..."), sep(),
                           popup("查看", viewItems()), cmd(ID_HELP, "帮助")})}},
        {IDR_CA_ROW,
         {popup("证书", {cmd(ID_CERT_OPEN, "打开"), sep(), cmd(ID_CERT_EXPORT, "导出..."), sep(),
                         cmd(ID_CERT_REFRESH, "刷新"), sep(), cmd(ID_CERT_PROPERTIES, "属性"), sep(),
                         cmd(ID_HELP, "帮助")})}},
        {IDR_OTHER_SPACE,
         {popup("证书库", {popup("导入", {cmd(ID_CERT_IMPORT, "从文件导入..."),
                                          cmd(ID_CERT_IMPORT_LDAP, "从LDAP导入...")}),
                           sep(), cmd(ID_CERT_REFRESH, "刷新..."), sep(), popup("查看", viewItems()),
                           cmd(ID_HELP, "帮助")})}},
        {IDR_FILE_ENC_ENCRYPT,
         {popup("加密", {cmd(ID_FILE_ENCRYPT, "加密..."), sep(), cmd(ID_HELP, "帮助")})}},
        {IDR_FILE_ENC_DECRYPT,
         {popup("解密", {cmd(ID_FILE_DECRYPT, "解密..."), sep(), cmd(ID_HELP, "帮助")})}},
        {IDR_FILE_ENC_CONFIG,
         {popup("配置", {cmd(ID_DEFAULT_ENC_CERT, "配置"), sep(), cmd(ID_HELP, "帮助")})}},
        {IDR_FILE_ENC_SPACE,
         {popup("文件加密", {popup("查看", pageViewItems()), sep(), cmd(ID_HELP, "帮助")})}},
        {IDR_FILE_ENC_OPS,
         {popup("操作", {cmd(ID_FILE_ENCRYPT, "加密..."), cmd(ID_FILE_DECRYPT, "解密..."),
                         cmd(ID_DEFAULT_ENC_CERT, "配置"), sep(), cmd(ID_HELP, "帮助")})}},
        {IDR_MAIL_ACCOUNT, {popup("帐户", {cmd(ID_MAIL_OPEN, "打开"), sep(), cmd(ID_HELP, "帮助")})}},
        {IDR_MAIL_ADDRBOOK,
         {popup("通讯簿", {cmd(ID_MAIL_BATCH_ENTRY, "批量配置加密证书"), sep(), cmd(ID_MAIL_OPEN, "打开"),
                           sep(), cmd(ID_HELP, "帮助")})}},
        {IDR_MAIL_HOME_SPACE,
         {popup("安全邮件", {popup("查看", pageViewItems()), sep(), cmd(ID_HELP, "帮助")})}},
        {IDR_MAIL_DETAIL_ITEM,
         {popup("配置", {cmd(ID_MAIL_CONFIGURE, "配置"), cmd(ID_MAIL_REFRESH, "刷新..."),
                         cmd(ID_MAIL_BACK, "返回"), sep(), cmd(ID_HELP, "帮助")})}},
        {IDR_MAIL_DETAIL_SPACE,
         {popup("列表",
                {cmd(ID_MAIL_BATCH_SHOWN, "批量配置加密证书"), sep(), popup("查看", pageViewItems()),
                 cmd(ID_MAIL_REFRESH, "刷新..."), cmd(ID_MAIL_BACK, "返回"), sep(), cmd(ID_HELP, "帮助")})}},
    };
    return menus;
}

void fill(QMenu* menu, const std::vector<Item>& items) {
    for (const Item& item : items) {
        switch (item.kind) {
        case Item::Command: {
            QAction* action = menu->addAction(QString::fromUtf8(item.text));
            action->setData(item.id);
            action->setObjectName(QString::number(item.id));
            break;
        }
        case Item::Separator:
            menu->addSeparator();
            break;
        case Item::Popup: {
            auto* sub = new QMenu(QString::fromUtf8(item.text), menu);
            fill(sub, item.items);
            menu->addMenu(sub);
            break;
        }
        }
    }
}

} // namespace

QMenu* loadPopup(int menuId, int index, QWidget* parent) {
    const auto it = table().find(menuId);
    if (it == table().end() || index < 0 || index >= static_cast<int>(it->second.size()))
        return nullptr;
    const Item& top = it->second[static_cast<size_t>(index)];
    auto* menu = new QMenu(QString::fromUtf8(top.text), parent);
    fill(menu, top.items);
    return menu;
}

int popupCount(int menuId) {
    const auto it = table().find(menuId);
    return it == table().end() ? 0 : static_cast<int>(it->second.size());
}

int commandId(const QAction* action) {
    if (!action || action->isSeparator() || action->menu())
        return -1;
    bool ok = false;
    const int id = action->data().toInt(&ok);
    return ok ? id : -1;
}

QAction* findCommand(const QMenu* menu, int id) {
    if (!menu)
        return nullptr;
    for (QAction* action : menu->actions()) {
        if (QMenu* sub = action->menu()) {
            if (QAction* found = findCommand(sub, id))
                return found;
        } else if (commandId(action) == id) {
            return action;
        }
    }
    return nullptr;
}

void removeItemAt(QMenu* menu, int position) {
    const QList<QAction*> actions = menu->actions();
    if (position < 0 || position >= actions.size())
        return;
    QAction* action = actions[position];
    menu->removeAction(action);
    if (QMenu* sub = action->menu(); sub && sub->parent() == menu)
        delete sub; // deletes its menu action too
    else if (action->parent() == menu)
        delete action;
}

QMenu* takeSubmenuAt(QMenu* menu, int position, QWidget* newParent) {
    const QList<QAction*> actions = menu->actions();
    if (position < 0 || position >= actions.size() || !actions[position]->menu())
        return nullptr;
    QMenu* sub = actions[position]->menu();
    menu->removeAction(actions[position]);
    sub->setParent(newParent, sub->windowFlags());
    return sub;
}

} // namespace yx::menus
