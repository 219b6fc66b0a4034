#include "FoxmailAccountList.h"

#include "FoxmailLocation.h"
#include "GbkText.h"
#include "StorageFile.h"

namespace {

constexpr size_t kCountOffset = 64;
constexpr size_t kFirstRecord = 68;
constexpr size_t kRecordTrailer = 20; // unread bytes behind the third text of a record

// Only the first byte of each 4-byte number is used; a negative one ends the reading.
int lengthAt(const yx::Bytes& b, size_t at) {
    return at < b.size() ? static_cast<signed char>(b[at]) : -1;
}

} // namespace

int CFoxmailAccountList::Read() {
    m_names.clear();
    m_folders.clear();
    std::string folder;
    if (FindFoxmailPath(folder) != 0 || folder.empty())
        return -1;
    const std::string local = yx::mail::toLocalPath(folder);
    if (local.empty())
        return -1;
    CStorageFile file;
    yx::Bytes stream;
    if (!file.Open(local + "/" + yx::mail::findEntryNoCase(local, "accounts.cfg")) ||
        !file.OpenStorage("Ver30") || !file.OpenStream("accounts.cfg", stream))
        return -1;
    Parse(stream);
    return 0;
}

void CFoxmailAccountList::Parse(const yx::Bytes& b) {
    m_names.clear();
    m_folders.clear();
    const int count = lengthAt(b, kCountOffset);
    size_t at = kFirstRecord;
    for (int i = 0; i < count; ++i) {
        const int l1 = lengthAt(b, at + 4);
        if (l1 < 0 || at + 8 + static_cast<size_t>(l1) > b.size())
            return;
        const size_t nameAt = at + 8;
        const int l2 = lengthAt(b, nameAt + static_cast<size_t>(l1));
        const size_t folderAt = nameAt + static_cast<size_t>(l1) + 4;
        if (l2 < 0 || folderAt + static_cast<size_t>(l2) > b.size())
            return;
        auto text = [&](size_t from, int length) {
            return yx::gbkToUtf8Lossy(std::string_view(reinterpret_cast<const char*>(b.data()) + from,
                                                       static_cast<size_t>(length)));
        };
        m_names.push_back(text(nameAt, l1));
        m_folders.push_back(text(folderAt, l2));
        const int l3 = lengthAt(b, folderAt + static_cast<size_t>(l2));
        if (l3 < 0)
            return;
        at = folderAt + static_cast<size_t>(l2) + 4 + static_cast<size_t>(l3) + kRecordTrailer;
    }
}
