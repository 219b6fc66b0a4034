// Resource ids of the desktop program: dialogs, controls, menus, commands, bitmaps and icons.
// The numbers are fixed; a control's Qt objectName is its id in decimal, and so is the
// objectName of a menu action (its data() holds the id as an int). Each part of the program
// adds its own ids here, in the group they belong to.
#pragma once

namespace yx::res {

// ---- Dialogs (page windows and modal dialogs) ----
inline constexpr int IDD_LIFECYCLE_PAGE = 130;
inline constexpr int IDD_PERSONAL_PAGE = 131;
inline constexpr int IDD_OTHER_PEOPLE_PAGE = 143;
inline constexpr int IDD_CA_PAGE = 144;
inline constexpr int IDD_SECURE_MAIL_PAGE = 145;
inline constexpr int IDD_FILE_ENC_PAGE = 146;
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_CONFIG = 176;
inline constexpr int IDD_CHANGE_BACKUP_PASSWORD = 177;

// ---- Controls ----
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDC_ABOUT_WEBSITE = 1000;     // about box: the maker's web site link
inline constexpr int IDC_ABOUT_MAIL = 1112;        // about box: the support mailbox link
inline constexpr int AFX_IDW_PANE_FIRST = 59648;   // the frame's view window: the navigation panel
inline constexpr int IDC_CERT_LIST = 1004;         // certificate list pages: the list view
inline constexpr int IDC_LIFECYCLE_BROWSER = 1005; // lifecycle page: the browser
inline constexpr int IDC_FILE_ENC_LIST = 1095;     // file encryption page: the task list

// ---- Menus ----
inline constexpr int IDR_MAINFRAME = 153;         // the frame's menu bar (also its icon and title)
inline constexpr int IDR_TRAY = 175;              // tray icon menu
inline constexpr int IDR_LIFECYCLE = 152;         // lifecycle page operations
inline constexpr int IDR_CERT_ROW = 154;          // personal / other people: a row
inline constexpr int IDR_CERT_SPACE = 155;        // personal / CA: empty space (holds the view popup)
inline constexpr int IDR_CA_ROW = 156;            // CA: a row
inline constexpr int IDR_OTHER_SPACE = 207;       // other people: empty space
inline constexpr int IDR_FILE_ENC_ENCRYPT = 230;  // file encryption page: item "encrypt"
inline constexpr int IDR_FILE_ENC_SPACE = 231;    // file encryption page: empty space
inline constexpr int IDR_FILE_ENC_DECRYPT = 233;  // file encryption page: item "decrypt"
inline constexpr int IDR_FILE_ENC_CONFIG = 253;   // file encryption page: item "default certificate"
inline constexpr int IDR_FILE_ENC_OPS = 254;      // file encryption page: menu-bar operations
inline constexpr int IDR_MAIL_ACCOUNT = 238;      // e-mail page: an account entry
inline constexpr int IDR_MAIL_HOME_SPACE = 239;   // e-mail page: home list without an entry
inline constexpr int IDR_MAIL_DETAIL_ITEM = 240;  // e-mail page: a detail item
inline constexpr int IDR_MAIL_DETAIL_SPACE = 241; // e-mail page: detail list without an item
inline constexpr int IDR_MAIL_ADDRBOOK = 269;     // e-mail page: an address-book entry

// Menu-bar positions that belong to the current page.
inline constexpr int kMenuPosOperations = 2;
inline constexpr int kMenuPosView = 3;

// ---- Commands ----
// Frame and tray.
inline constexpr int ID_TRAY_OPEN = 32797;
inline constexpr int ID_CONFIG = 32799;
inline constexpr int ID_CHANGE_BACKUP_PASSWORD = 32800;
inline constexpr int ID_HELP_CONTENTS = 32802;
inline constexpr int ID_CHECK_UPDATE = 32810;
inline constexpr int ID_HOMEPAGE = 32829;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_HELP_INDEX = 57667;
inline constexpr int ID_HELP = 57670;
// Lifecycle page.
inline constexpr int ID_BROWSER_BACK = 32771;
inline constexpr int ID_BROWSER_FORWARD = 32772;
inline constexpr int ID_BROWSER_HOME = 32773;
inline constexpr int ID_BROWSER_REFRESH = 32835;
// Certificate list pages.
inline constexpr int ID_CERT_OPEN = 32774;
inline constexpr int ID_CERT_EXPORT = 32775;
inline constexpr int ID_CERT_DELETE = 32776;
inline constexpr int ID_CERT_REFRESH = 32778;
inline constexpr int ID_CERT_CRL_CHECK = 32779;
inline constexpr int ID_CERT_PROPERTIES = 32780;
inline constexpr int ID_CERT_IMPORT = 32782;
inline constexpr int ID_CERT_IMPORT_LDAP = 32807;
inline constexpr int ID_CERT_PUBLISH = 32870;  // publish to the browsers' and mail programs' databases
inline constexpr int ID_CERT_WITHDRAW = 32871; // withdraw from them
// Common view commands of the menu bar's view popup.
inline constexpr int ID_VIEW_LARGE_ICONS = 32784;
inline constexpr int ID_VIEW_SMALL_ICONS = 32785;
inline constexpr int ID_VIEW_LIST = 32786;
inline constexpr int ID_VIEW_DETAILS = 32787;
// The e-mail and file encryption pages' own view commands (the frame maps the common ones).
inline constexpr int ID_PAGE_VIEW_LARGE_ICONS = 32813;
inline constexpr int ID_PAGE_VIEW_SMALL_ICONS = 32814;
inline constexpr int ID_PAGE_VIEW_DETAILS = 32815;
// File encryption page.
inline constexpr int ID_FILE_ENCRYPT = 32817;
inline constexpr int ID_FILE_DECRYPT = 32818;
inline constexpr int ID_DEFAULT_ENC_CERT = 32830;
// Secure e-mail page.
inline constexpr int ID_MAIL_OPEN = 32819;
inline constexpr int ID_MAIL_CONFIGURE = 32821;
inline constexpr int ID_MAIL_REFRESH = 32822;
inline constexpr int ID_MAIL_BACK = 32823;
inline constexpr int ID_MAIL_BATCH_SHOWN = 32836;
inline constexpr int ID_MAIL_BATCH_ENTRY = 32838;

// ---- Bitmaps (navigation panel artwork) ----
inline constexpr int IDB_PANEL_BACKGROUND = 131;
inline constexpr int IDB_PANEL_LEFT_BAR = 132;
inline constexpr int IDB_PANEL_RIGHT_STRIP = 133;
inline constexpr int IDB_PANEL_TOP_BAND = 134;
inline constexpr int IDB_PANEL_BOTTOM_BAND = 135;
inline constexpr int IDB_PANEL_LOGO = 142;
inline constexpr int IDB_PANEL_TITLE_STRIP = 150;
// The left bar with one item highlighted, by page index.
inline constexpr int IDB_NAV_LIFECYCLE = 136;
inline constexpr int IDB_NAV_PERSONAL = 137;
inline constexpr int IDB_NAV_OTHER_PEOPLE = 138;
inline constexpr int IDB_NAV_CA = 139;
inline constexpr int IDB_NAV_SECURE_MAIL = 200;
inline constexpr int IDB_NAV_FILE_ENC = 141;

// ---- Icons ----
inline constexpr int IDI_MAINFRAME = 153;        // program icon (window, tray, about box)
inline constexpr int IDI_CERT_SMALL = 255;       // certificate, 16 x 16 lists
inline constexpr int IDI_CERT_LARGE = 257;       // certificate, 32 x 32 lists
inline constexpr int IDI_FILE_ENCRYPT = 235;     // file encryption page: "文件加密"
inline constexpr int IDI_FILE_DECRYPT = 237;     // file encryption page: "文件解密"
inline constexpr int IDI_DEFAULT_ENC_CERT = 263; // file encryption page: "设置默认加密证书"

// ---- Private notifications ----
// The tray icon's id in its notifications to the frame.
inline constexpr int kTrayIconId = 175;

} // namespace yx::res
