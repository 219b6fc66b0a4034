#include "Settings.h"

#include "Registry.h"

#include <cstdlib>

namespace yx::settings {
namespace {

// Built-in so the program and the tools work before (or without) the start-up calls.
std::string g_companyKey = "KavexCorp";
std::string g_profileName = "岚川数字钥匣";

std::string stripBackslashes(std::string s) {
    while (!s.empty() && s.back() == '\\')
        s.pop_back();
    while (!s.empty() && s.front() == '\\')
        s.erase(s.begin());
    return s;
}

std::string sectionKey(const std::string& section) {
    return profileRoot() + "\\" + section;
}

} // namespace

// The start-up code passes "KavexCorp\" with a trailing separator; the root is built without it.
void SetRegistryKey(const std::string& companyKey) {
    const std::string key = stripBackslashes(companyKey);
    if (!key.empty())
        g_companyKey = key;
}

void SetProfileName(const std::string& profileName) {
    const std::string name = stripBackslashes(profileName);
    if (!name.empty())
        g_profileName = name;
}

std::string profileRoot() {
    return "Software\\" + g_companyKey + "\\" + g_profileName;
}

std::string GetProfileString(const std::string& section, const std::string& entry, const std::string& def) {
    return reg::readString(reg::Hive::CurrentUser, sectionKey(section), entry).value_or(def);
}

bool WriteProfileString(const std::string& section, const std::string& entry, const std::string& value) {
    return reg::writeString(reg::Hive::CurrentUser, sectionKey(section), entry, value);
}

bool onlineCrlCheck() {
    return isOn(GetProfileString("Common", "SartOnlineCRLCheck", "0"));
}
bool startUpCheckNew() {
    return isOn(GetProfileString("UpdateConfig", "StartUpCheckNew", ""));
}
std::string defaultEncCertHash() {
    return GetProfileString("DefaultEncCert", "CertHash", "");
}
std::string defaultRaSiteKey() {
    return GetProfileString("ServiceURL", "Default", "");
}

// Decimal text to integer as atoi reads it (blanks, sign, leading digits); out-of-range texts are
// clamped by strtol and so never equal 1.
bool isOn(const std::string& value) {
    return std::strtol(value.c_str(), nullptr, 10) == 1;
}

} // namespace yx::settings
