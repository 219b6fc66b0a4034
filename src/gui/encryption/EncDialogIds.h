// Ids of the file-encryption dialogs: the dialog resources and their controls. A control's Qt
// objectName is its id in decimal; OK and Cancel are yx::res::IDOK (1) and IDCANCEL (2).
#pragma once

#include "ResourceIds.h"

namespace yx::res {

// ---- Dialogs ----
inline constexpr int IDD_SELECT_CERT = 220;
inline constexpr int IDD_ENCRYPT_FILE = 225;
inline constexpr int IDD_PROTECT_PASSWORD = 226;
inline constexpr int IDD_DECRYPT_FILE = 227;
inline constexpr int IDD_ENC_CERT_TAB = 229;
inline constexpr int IDD_ENC_PROGRESS = 246;
inline constexpr int IDD_ENTER_PASSWORD = 247;
inline constexpr int IDD_BATCH_PROGRESS = 248; // several files as one job
inline constexpr int IDD_SECURE_FILE_PROP = 261;

// ---- Progress dialog ----
inline constexpr int IDC_ENC_PROGRESS_BAR = 1116;
inline constexpr int IDC_ENC_PERCENT = 1123;
inline constexpr int IDC_ENC_DONE_LABEL = 1124;

// ---- Progress window of several files ----
inline constexpr int IDC_BATCH_FILES = 1140;   // one row per file: its path and outcome
inline constexpr int IDC_BATCH_OVERALL = 1141; // files ended out of all
inline constexpr int IDC_BATCH_SUMMARY = 1142; // the count so far, at the end successes and failures

// ---- Encrypt dialog ----
inline constexpr int IDC_ENC_TARGET_BROWSE = 1060;
inline constexpr int IDC_ENC_SOURCE = 1091;
inline constexpr int IDC_ENC_TARGET = 1092;
inline constexpr int IDC_ENC_SOURCE_BROWSE = 1093;
inline constexpr int IDC_ENC_DEFAULT_VIEW = 1105; // also the default-certificate tab's "查看"
inline constexpr int IDC_ENC_OTHER_LIST = 1106;
inline constexpr int IDC_ENC_DEFAULT_CHANGE = 1108;
inline constexpr int IDC_ENC_OTHER_VIEW = 1109; // also the decrypt dialog's "查看证书"
inline constexpr int IDC_ENC_DELETE_SOURCE = 1111;
inline constexpr int IDC_ENC_PROTECT = 1113;
inline constexpr int IDC_ENC_DEFAULT_NAME = 1118;

// ---- Protection password dialog ----
inline constexpr int IDC_PROTECT_PASSWORD = 1114;
inline constexpr int IDC_PROTECT_CONFIRM = 1115;

// ---- Certificate chooser ----
inline constexpr int IDC_SELCERT_LIST = 1050;
inline constexpr int IDC_SELCERT_VIEW = 1076;

// ---- Default-certificate tab ----
inline constexpr int IDC_ENCTAB_NAME = 1103;
inline constexpr int IDC_ENCTAB_CHOOSE = 1104;
inline constexpr int IDC_ENCTAB_VIEW = 1105;

// ---- Decrypt dialog ----
inline constexpr int IDC_DEC_CERT_BOX = 1059;
inline constexpr int IDC_DEC_SOURCE = 1096;
inline constexpr int IDC_DEC_TARGET = 1097;
inline constexpr int IDC_DEC_SOURCE_BROWSE = 1098;
inline constexpr int IDC_DEC_TARGET_BROWSE = 1099;
inline constexpr int IDC_DEC_VIEW = 1109;
inline constexpr int IDC_DEC_CHOICE_LABEL = 1121;
inline constexpr int IDC_DEC_V1_LABEL = 1122;

// ---- Password dialog of the decryption ----
inline constexpr int IDC_ENTER_PASSWORD = 1088;

// ---- Secure-file properties ----
inline constexpr int IDC_PROP_SIZE = 201;
inline constexpr int IDC_PROP_EXTENSION = 204;
inline constexpr int IDC_PROP_ALGORITHM = 205;
inline constexpr int IDC_PROP_FILE_TYPE = 211;
inline constexpr int IDC_PROP_PROTECTION = 212;
inline constexpr int IDC_PROP_RECIPIENTS = 213;

} // namespace yx::res
