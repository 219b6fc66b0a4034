// Pieces the account, contact and batch dialogs of the e-mail page share: certificate names, the
// default marker of certificate rows, the other-people store filtered for one address, and the
// directory look-up over hosts A and B that both contact dialogs run.
#pragma once

#include "OwnedCerts.h"
#include "dialogs/DialogKit.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

class CBBuffer;
class CCertStore;
class CEmailAccount;
class QWidget;

namespace yx::maildlg {

inline constexpr const char* kDefaultMark = "(默认证书)";
inline constexpr const char* kDirectoryCaption = "查找用户";

// The holder's display name; empty for none or an unreadable one.
QString displayName(CDigitalCertificate* cert);
// The friendly name when it is not empty, else the display name.
QString shownName(CDigitalCertificate* cert);
// The thumbprint text (empty when unreadable).
std::string thumbprint(CDigitalCertificate* cert);

// Whether a row text ends with the default marker; the text without the marker's bytes.
bool hasDefaultMark(const QString& text);
QString withoutDefaultMark(const QString& text);

// The text in a property buffer (up to its first NUL).
std::string bufferText(const CBBuffer& buffer);
// An account's e-mail address (its third text property).
std::string accountEmail(CEmailAccount* account);

// Opens `store` and keeps only certificates of `email` usable as `keyUsage` ("Crypt", "Sign",
// or null for any use).
void openFiltered(CCertStore& store, const std::string& email, const char* keyUsage);

// The contact dialogs' look-up: `email` on host A, then on host B, both appending. When both
// fail: "目录查询失败！"; when nothing was found: "目录服务中不存在与搜索条件相符的项！" (both with
// the caption "查找用户"). True when there are results to choose from.
bool lookUpContact(QWidget* owner, const std::string& email, OwnedCerts& found);

} // namespace yx::maildlg
