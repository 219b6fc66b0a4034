// Ids of the configuration dialog, its tab pages and the RA-site dialog. A control's Qt
// objectName is its id in decimal; a tab page's objectName is its dialog id.
#pragma once

#include "ResourceIds.h"

namespace yx::res {

// ---- Dialogs ----
// IDD_CONFIG (176) is in ResourceIds.h: the frame opens it.
inline constexpr int IDD_UPDATE_TAB = 102;
inline constexpr int IDD_CRL_TAB = 204;
inline constexpr int IDD_RA_SITE_TAB = 107;
inline constexpr int IDD_RA_SITE = 180;

// ---- Configuration dialog ----
inline constexpr int IDC_CONFIG_TABS = 1067;

// ---- Update tab ----
inline constexpr int IDC_UPDATE_CHECK_ON = 1020;  // index 0
inline constexpr int IDC_UPDATE_CHECK_OFF = 1019; // index 1

// ---- CRL tab ----
inline constexpr int IDC_CRL_ONLINE = 1017;  // index 0
inline constexpr int IDC_CRL_OFFLINE = 1018; // index 1

// ---- RA-site tab ----
inline constexpr int IDC_RA_SITE_LIST = 1028;
inline constexpr int IDC_RA_SITE_MODIFY = 1029;
inline constexpr int IDC_RA_SITE_ADD = 1031;

// ---- RA-site dialog ----
inline constexpr int IDC_RA_SITE_URL = 1019;
inline constexpr int IDC_RA_SITE_NAME = 1032;

} // namespace yx::res
