// The program's settings: string entries in sections under the product key
// HKEY_CURRENT_USER\Software\KavexCorp\岚川数字钥匣, each read with a default.
#pragma once

#include <string>

namespace yx::settings {

// Set at start-up: registry key name "KavexCorp\" and application title "岚川数字钥匣".
void SetRegistryKey(const std::string& companyKey);
void SetProfileName(const std::string& profileName);
std::string profileRoot(); // "Software\KavexCorp\岚川数字钥匣"

std::string GetProfileString(const std::string& section, const std::string& entry,
                             const std::string& def = "");
bool WriteProfileString(const std::string& section, const std::string& entry, const std::string& value);

// The named settings with their defaults.
bool onlineCrlCheck();            // "Common"/"SartOnlineCRLCheck" == 1 (default "0")
bool startUpCheckNew();           // "UpdateConfig"/"StartUpCheckNew" == 1 (default "")
std::string defaultEncCertHash(); // "DefaultEncCert"/"CertHash" (default "")
std::string defaultRaSiteKey();   // "ServiceURL"/"Default" (default "")
// The switch-like settings are written "1" or "0" and read as text-to-integer == 1.
bool isOn(const std::string& value);

} // namespace yx::settings
