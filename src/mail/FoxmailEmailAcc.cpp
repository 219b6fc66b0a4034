#include "FoxmailEmailAcc.h"

#include "DigitalCertificate.h"
#include "FoxmailAccountList.h"
#include "FoxmailLocation.h"
#include "FoxmailText.h"
#include "GbkText.h"
#include "StorageFile.h"

#include <cstring>

namespace {

constexpr const char* kAccountFile = "Account.stg";
constexpr const char* kStorage = "Ver30";
constexpr const char* kStream = "AccInfo.cfg";
constexpr const char* kSignKey = "SignCertHash=";
constexpr const char* kNextKey = "SMTPHost=";

void appendText(CEmailAccount& account, int property, const std::string& text) {
    account.getProperty(property)->getBuf().AttachBuffer(text.data(), static_cast<int>(text.size()));
}

std::string bufferText(CBBuffer& b) {
    return b.size() > 0 ? std::string(reinterpret_cast<const char*>(b.GetBuffer()), b.size()) : std::string();
}

} // namespace

CFoxmailEmailAcc::~CFoxmailEmailAcc() {
    Clear();
}

CEmailAccount* CFoxmailEmailAcc::GetAt(int index) const {
    return index >= 0 && index < GetCount() ? m_accounts[static_cast<size_t>(index)].get() : nullptr;
}

void CFoxmailEmailAcc::Clear() {
    m_accounts.clear();
}

int CFoxmailEmailAcc::getEmailAcc() {
    Clear();
    CFoxmailAccountList list;
    list.Read(); // a failure leaves both lists empty: no accounts, nothing reported
    for (int i = 0; i < list.GetCount(); ++i) {
        const std::string folder = yx::mail::toLocalPath(list.Folders()[static_cast<size_t>(i)]);
        const std::string path = folder + "/" + yx::mail::findEntryNoCase(folder, kAccountFile);
        CStorageFile file;
        yx::Bytes stream;
        if (folder.empty() || !file.Open(path) || !file.OpenStorage(kStorage) ||
            !file.OpenStream(kStream, stream))
            return -1;
        const std::string_view text(reinterpret_cast<const char*>(stream.data()), stream.size());
        auto* account = new CEmailAccount;
        appendText(*account, CEmailAccount::kAccountFile, path);
        appendText(*account, CEmailAccount::kAccountName, list.Names()[static_cast<size_t>(i)]);
        appendText(*account, CEmailAccount::kEmailAddress,
                   yx::gbkToUtf8Lossy(GetKeyValue(text, "MailAddress")));
        CMyCertStore& store = account->getCertStore();
        const std::string hash = GetKeyValue(text, "SignCertHash");
        account->setSignCert(!hash.empty() && store.OpenCertStore() == 0 ? store.FindByThumb(hash) : nullptr);
        m_accounts.emplace_back(account);
    }
    return 0;
}

bool CFoxmailEmailAcc::PatchSignCertHash(std::string& text, const std::string& hash) {
    const size_t p1 = text.find(kSignKey);
    const size_t p2 = text.find(kNextKey);
    const size_t valueAt = p1 + std::strlen(kSignKey);
    // The rest of the text is moved behind the new value; a text whose "SMTPHost=" line stands
    // before the value would lose lines, so it is left alone.
    if (p1 == std::string::npos || p2 == std::string::npos || p2 < valueAt)
        return false;
    size_t tailEnd = text.find('\0', p2);
    if (tailEnd == std::string::npos)
        tailEnd = text.size();
    std::string patched = text.substr(0, valueAt) + hash + "\r\n" + text.substr(p2, tailEnd - p2);
    // The bytes behind the text stay; a shorter text is padded with NULs so no old characters show.
    if (patched.size() < tailEnd)
        patched.append(tailEnd - patched.size(), '\0');
    patched.append(text, tailEnd, std::string::npos);
    text = std::move(patched);
    return true;
}

int CFoxmailEmailAcc::SaveEmailAcc(CEmailAccount* account) {
    if (!account || !account->getSignCert())
        return 0;
    std::string thumb;
    if (account->getSignCert()->getThumbPrint(thumb) != 0)
        return 0;
    const std::string path = bufferText(account->getProperty(CEmailAccount::kAccountFile)->getBuf());
    CStorageFile file;
    yx::Bytes stream;
    if (!file.Open(path) || !file.OpenStorage(kStorage) || !file.OpenStream(kStream, stream))
        return 0;
    file.Close();
    std::string text(stream.begin(), stream.end());
    if (!PatchSignCertHash(text, yx::mail::hashText(thumb)))
        return 0;
    CStorageFile::ReplaceStream(path, {kStorage, kStream}, yx::Bytes(text.begin(), text.end()));
    return 0;
}
