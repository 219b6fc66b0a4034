// Ids of the certificate dialogs: the dialog resources and their controls. A control's Qt
// objectName is its id in decimal; OK and Cancel are yx::res::IDOK (1) and IDCANCEL (2).
#pragma once

#include "ResourceIds.h"

namespace yx::res {

// ---- Dialogs ----
inline constexpr int IDD_EXPORT_PFX = 158;
inline constexpr int IDD_FRIENDLY_NAME = 159;
inline constexpr int IDD_IMPORT_PFX = 160;
inline constexpr int IDD_EXPORT_CERT = 173;
inline constexpr int IDD_IMPORT_CERT = 174;
inline constexpr int IDD_LDAP_SEARCH = 208;
inline constexpr int IDD_LDAP_RESULT = 264;

// ---- Controls of the import, export and rename dialogs ----
inline constexpr int IDC_CERTDLG_BROWSE = 1003; // "..." beside a path field
inline constexpr int IDC_CERTDLG_PATH = 1011;   // PFX export, certificate import and export
inline constexpr int IDC_PFX_EXPORT_PASSWORD = 1012;
inline constexpr int IDC_PFX_EXPORT_CONFIRM = 1013;
inline constexpr int IDC_FRIENDLY_NAME = 1013;
inline constexpr int IDC_PFX_IMPORT_PROVIDER = 1014;
inline constexpr int IDC_PFX_IMPORT_PASSWORD = 1015;
inline constexpr int IDC_PFX_IMPORT_PATH = 1016;

// ---- Controls of the backup password dialog ----
inline constexpr int IDC_BACKUP_TARGET_BROWSE = 1004;
inline constexpr int IDC_BACKUP_TARGET_PATH = 1014;
inline constexpr int IDC_BACKUP_NEW_CONFIRM = 1015;
inline constexpr int IDC_BACKUP_SOURCE_BROWSE = 1020;
inline constexpr int IDC_BACKUP_SOURCE_PATH = 1021;
inline constexpr int IDC_BACKUP_SOURCE_PASSWORD = 1022;
inline constexpr int IDC_BACKUP_NEW_PASSWORD = 1023;

// ---- Controls of the directory search dialog ----
inline constexpr int IDC_LDAP_SEARCH_ALL = 1068;
inline constexpr int IDC_LDAP_SERVER = 1070;
inline constexpr int IDC_LDAP_NAME = 1071;
inline constexpr int IDC_LDAP_EMAIL = 1072;
inline constexpr int IDC_LDAP_RESULTS = 1073;
inline constexpr int IDC_LDAP_SEARCH = 1074;
inline constexpr int IDC_LDAP_CLEAR = 1075;
inline constexpr int IDC_LDAP_VIEW = 1076;
// Not a resource: the busy indicator shown while a search runs.
inline constexpr const char* kLdapBusyName = "ldapBusy";

// ---- Controls of the directory result dialog ----
inline constexpr int IDC_LDAP_RESULT_LABEL = 1128;
inline constexpr int IDC_LDAP_RESULT_LIST = 1129;
inline constexpr int IDC_LDAP_RESULT_VIEW = 32774; // "查看证书"

} // namespace yx::res
