#include "OEEmailAcc.h"

#include "Base64.h"
#include "DigitalCertificate.h"
#include "Registry.h"
#include "Settings.h"

#include <algorithm>
#include <cstdlib>

namespace {

using yx::reg::Hive;

constexpr const char* kName = "AccountName";
constexpr const char* kAddress = "EmailAddress";
constexpr const char* kSignHash = "SignCertHash";
constexpr const char* kCryptHash = "CryptCertHash";

std::string valueOf(const std::string& key, const char* name) {
    return yx::reg::readString(Hive::CurrentUser, key, name).value_or("");
}

void setText(CEmailAccount& account, int property, const std::string& text) {
    account.getProperty(property)->getBuf().AttachBuffer(text.data(), static_cast<int>(text.size()));
}

std::string textOf(CEmailAccount& account, int property) {
    CBBuffer& b = account.getProperty(property)->getBuf();
    return b.size() > 0
               ? std::string(reinterpret_cast<const char*>(b.GetBuffer()), static_cast<size_t>(b.size()))
               : std::string();
}

std::string thumbOf(CDigitalCertificate* cert) {
    std::string thumb;
    return cert && cert->getThumbPrint(thumb) == 0 ? yx::stripSpaces(thumb) : std::string();
}

// Subkeys in the order of their names taken as numbers (names that are no numbers go last).
std::vector<std::string> accountKeys() {
    auto names = yx::reg::subkeys(Hive::CurrentUser, COEEmailAcc::accountsKey());
    auto number = [](const std::string& s) {
        char* end = nullptr;
        const long long n = std::strtoll(s.c_str(), &end, 10);
        return s.empty() || *end ? -1 : n;
    };
    std::stable_sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        const long long na = number(a), nb = number(b);
        if ((na < 0) != (nb < 0))
            return nb < 0;
        return na != nb ? na < nb : a < b;
    });
    return names;
}

} // namespace

std::string COEEmailAcc::accountsKey() {
    return yx::settings::profileRoot() + "\\MailAccounts";
}

COEEmailAcc::~COEEmailAcc() {
    Clear();
}

int COEEmailAcc::getEmailAcc() {
    Clear();
    int id = 0;
    for (const std::string& name : accountKeys()) {
        const std::string key = accountsKey() + "\\" + name;
        auto* account = new CEmailAccount;
        account->setId(id++);
        setText(*account, CEmailAccount::kAccountFile, name);
        setText(*account, CEmailAccount::kAccountName, valueOf(key, kName));
        setText(*account, CEmailAccount::kEmailAddress, valueOf(key, kAddress));
        const std::string sign = valueOf(key, kSignHash), crypt = valueOf(key, kCryptHash);
        CMyCertStore& store = account->getCertStore();
        if ((!sign.empty() || !crypt.empty()) && store.OpenCertStore() == 0) {
            account->setSignCert(sign.empty() ? nullptr : store.FindByThumb(sign));
            account->setCrytpCert(crypt.empty() ? nullptr : store.FindByThumb(crypt));
        }
        m_accounts.emplace_back(account);
    }
    return 0;
}

int COEEmailAcc::SaveEmailAcc(CEmailAccount* account) {
    if (!account)
        return 1;
    const std::string name = textOf(*account, CEmailAccount::kAccountFile);
    if (name.empty() || name.find('\\') != std::string::npos)
        return 1;
    const std::string key = accountsKey() + "\\" + name;
    const bool ok = yx::reg::writeStrings(
        Hive::CurrentUser, key,
        {{kSignHash, thumbOf(account->getSignCert())}, {kCryptHash, thumbOf(account->getCryptCert())}});
    return ok ? 0 : 1;
}

bool COEEmailAcc::AddAccount(const std::string& name, const std::string& address) {
    long long next = 1;
    for (const std::string& k : yx::reg::subkeys(Hive::CurrentUser, accountsKey()))
        next = std::max(next, std::atoll(k.c_str()) + 1);
    const std::string key = accountsKey() + "\\" + std::to_string(next);
    return yx::reg::writeStrings(Hive::CurrentUser, key, {{kName, name}, {kAddress, address}});
}

CEmailAccount* COEEmailAcc::GetAt(int index) const {
    return index >= 0 && index < GetCount() ? m_accounts[static_cast<size_t>(index)].get() : nullptr;
}

void COEEmailAcc::Append(CEmailAccount* account) {
    if (account)
        m_accounts.emplace_back(account);
}

void COEEmailAcc::Clear() {
    m_accounts.clear();
}
