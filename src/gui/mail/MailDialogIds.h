// Ids of the secure e-mail page and its dialogs: dialog resources, controls, icons and the search
// animation. A control's Qt objectName is its id in decimal; OK and Cancel are yx::res::IDOK (1)
// and IDCANCEL (2).
#pragma once

#include "ResourceIds.h"

namespace yx::res {

// ---- The page's two lists ----
inline constexpr int IDC_MAIL_HOME_LIST = 1033;
inline constexpr int IDC_MAIL_DETAIL_LIST = 1110;

// ---- Icons of the page's lists ----
inline constexpr int IDI_MAIL_OE_ACCOUNTS = 190;
inline constexpr int IDI_MAIL_OE_ADDRBOOK = 191;
inline constexpr int IDI_MAIL_FOX_ACCOUNTS = 212;
inline constexpr int IDI_MAIL_FOX_ADDRBOOK = 214;
inline constexpr int IDI_MAIL_ITEM_SMALL = 267;      // an account, or a contact without certificate
inline constexpr int IDI_MAIL_ITEM_CERT_SMALL = 268; // a contact with a certificate
inline constexpr int IDI_MAIL_ITEM_LARGE = 270;
inline constexpr int IDI_MAIL_ITEM_CERT_LARGE = 271;

// ---- Dialogs ----
inline constexpr int IDD_ACCOUNT_CERT = 192;
inline constexpr int IDD_SET_CONTACT_CERT = 196;
inline constexpr int IDD_IMPORT_SYSTEM_CERT = 199;
inline constexpr int IDD_ACCOUNT_SIGN_CERT = 215;
inline constexpr int IDD_LDAP_BATCH_CON = 265;
inline constexpr int IDD_SET_CONTACT_CERTS = 272;

// ---- Account certificate dialogs ----
inline constexpr int IDC_ACCOUNT_SIGN_CHOOSE = 1039;  // dialog 192: signing "选择..."
inline constexpr int IDC_ACCOUNT_CRYPT_CHOOSE = 1041; // dialog 192: encryption "选择..."
inline constexpr int IDC_ACCOUNT_SIGN_NAME = 1052;
inline constexpr int IDC_ACCOUNT_CRYPT_NAME = 1053;
inline constexpr int IDC_ACCOUNT_SIGN_ONLY_CHOOSE = 1078; // dialog 215: "选择..."

// ---- Contact certificate dialogs ----
inline constexpr int IDC_CONTACT_CERT_LIST = 1073;     // 272: the certificate list
inline constexpr int IDC_CONTACTS_IMPORT_STORE = 1138; // 272: "从系统导入"
inline constexpr int IDC_CONTACTS_IMPORT_LDAP = 1135;  // 272: "LDAP导入"
inline constexpr int IDC_CONTACTS_VIEW = 1137;         // 272: "查看证书"
inline constexpr int IDC_CONTACT_REMOVE = 1060;        // 272 "删除...", 196 "删除证书"
inline constexpr int IDC_CONTACTS_MAKE_DEFAULT = 1061; // 272: "设为默认值"
inline constexpr int IDC_CONTACT_CERT_NAME = 1011;     // 196: the chosen certificate's name
inline constexpr int IDC_CONTACT_IMPORT_STORE = 1005;  // 196: "从系统导入..."
inline constexpr int IDC_CONTACT_IMPORT_LDAP = 1134;   // 196: "LDAP搜索..."
inline constexpr int IDC_CONTACT_VIEW = 1062;          // 196: "查看证书"
inline constexpr int IDC_IMPORT_SYSTEM_LIST = 1004;    // 199: the store's certificates
inline constexpr int IDC_IMPORT_SYSTEM_VIEW = 1109;    // 199: "查看证书"

// ---- Batch configuration ----
inline constexpr int IDC_BATCH_OPTION = 1068; // "自动为搜索到仅有一个证书的联系人配置证书 "
inline constexpr int IDC_BATCH_CERTS = 1073;
inline constexpr int IDC_BATCH_VIEW = 1109;
inline constexpr int IDC_BATCH_MAKE_DEFAULT = 1005;
inline constexpr int IDC_BATCH_CONTACTS = 1130;
inline constexpr int IDC_BATCH_CERTS_LABEL = 1131;
inline constexpr int IDC_BATCH_ANIMATION = 1132;
inline constexpr int IDC_BATCH_BUSY = 1133;
inline constexpr int IDR_AVI_LDAP_SEARCH = 266; // the animation the batch dialog plays

} // namespace yx::res
