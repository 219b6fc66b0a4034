#include "FoxmailAddrBook.h"

#include "FoxmailLocation.h"
#include "FoxmailText.h"
#include "UserPrompt.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

constexpr size_t kEmailsPrefix = 8;        // "Emails:" and the space
constexpr size_t kCertificatesPrefix = 14; // "Certificates:" and the space
constexpr size_t kMaxFoldedValue = 511;
constexpr const char* kEndLine = "-----END CERTIFICATE-----";
constexpr size_t kMaxTextFile = size_t(1) << 30;

// Index record fields (offsets in the record).
constexpr size_t kSkipA = 4, kBlockOffset = 5, kBlockLength = 9, kSkipB = 17, kNameLength = 18, kName = 19,
                 kAddressLength = 51, kAddress = 52, kFlag = 132;
constexpr size_t kNameSize = 32, kAddressSize = 64;

uint32_t le32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void putLe32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::string fieldText(const unsigned char* rec, size_t lengthAt, size_t at, size_t size) {
    const int length = static_cast<signed char>(rec[lengthAt]);
    if (length <= 0)
        return {};
    const auto* p = reinterpret_cast<const char*>(rec + at);
    const size_t n = std::min<size_t>(static_cast<size_t>(length), size);
    return std::string(p, strnlen(p, n));
}

// Values of a folded section from `pos`; returns the position behind the section.
size_t readFolded(const std::string& b, size_t pos, std::vector<std::string>& values) {
    if (pos >= b.size())
        return b.size();
    for (;;) {
        const size_t end = b.find("\r\n", pos);
        if (end == std::string::npos) {
            values.push_back(b.substr(pos, kMaxFoldedValue));
            return b.size();
        }
        values.push_back(b.substr(pos, std::min(end - pos, kMaxFoldedValue)));
        pos = end + 2;
        if (pos >= b.size() || b[pos] != ' ')
            return pos;
        ++pos;
    }
}

std::vector<std::string> splitLine(const std::string& line) {
    std::vector<std::string> pieces;
    if (!line.empty() && line[0] == '|')
        return pieces;
    size_t from = 0;
    for (size_t bar; (bar = line.find('|', from)) != std::string::npos; from = bar + 1)
        pieces.push_back(line.substr(from, bar - from));
    pieces.push_back(line.substr(from));
    return pieces;
}

std::string joined(const std::vector<std::string>& hashes) {
    std::string out;
    for (size_t i = 0; i < hashes.size(); ++i) {
        if (i) // not "|" + text: that operator+ makes GCC 12 warn falsely (-Wrestrict, GCC bug 105651)
            out += '|';
        out += yx::mail::hashText(hashes[i]);
    }
    return out;
}

bool hasSuffixNoCase(const std::string& name, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return name.size() > n && strcasecmp(name.c_str() + name.size() - n, suffix) == 0;
}

bool writeAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool writeAt(int fd, off_t at, const unsigned char* data, size_t size) {
    return ::pwrite(fd, data, size, at) == static_cast<ssize_t>(size);
}

} // namespace

const std::string& CFoxmailAddrBook::BlockSeparator() {
    static const std::string separator = std::string(7, '\x10') + std::string(6, '\x13') + "S\r\n";
    return separator;
}

CFoxmailAddrBook::~CFoxmailAddrBook() {
    Clear();
}

CFoxmailContact* CFoxmailAddrBook::GetAt(int index) const {
    return index >= 0 && index < GetCount() ? m_contacts[static_cast<size_t>(index)].get() : nullptr;
}

void CFoxmailAddrBook::Clear() {
    m_contacts.clear();
}

int CFoxmailAddrBook::GetContacts() {
    Clear();
    std::string folder;
    if (FindFoxmailPath(folder) != 0 || folder.empty())
        return 0;
    const std::string local = yx::mail::toLocalPath(folder);
    return local.empty() ? 0 : ReadFolder(local);
}

int CFoxmailAddrBook::ReadFolder(const std::string& localFolder) {
    Clear();
    const std::string dir = localFolder + "/" + yx::mail::findEntryNoCase(localFolder, "Address");
    std::vector<std::string> indexFiles;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (hasSuffixNoCase(name, ".IND") && yx::isRegularFile(dir + "/" + name))
                indexFiles.push_back(name);
        }
        ::closedir(d);
    }
    std::sort(indexFiles.begin(), indexFiles.end());
    for (const std::string& name : indexFiles)
        if (ReadIndexFile(dir, name) != 0)
            return -1;
    return 0;
}

int CFoxmailAddrBook::ReadIndexFile(const std::string& dir, const std::string& indexName) {
    const std::string indexPath = dir + "/" + indexName;
    const std::string textPath =
        dir + "/" + yx::mail::findEntryNoCase(dir, indexName.substr(0, indexName.size() - 4) + ".BOX");
    const auto index = yx::readWholeFile(indexPath, kMaxTextFile);
    if (!index)
        return 0;                  // an index file that cannot be opened is passed over
    std::optional<yx::Bytes> text; // read at the first record that needs it
    for (size_t at = kHeaderSize; at + kRecordSize <= index->size(); at += kRecordSize) {
        const unsigned char* rec = index->data() + at;
        if (rec[kSkipA] == 1 || rec[kSkipB] == 1)
            continue;
        if (!text && !(text = yx::readWholeFile(textPath, kMaxTextFile))) {
            yx::showMessage("打开地址簿错误！", yx::MsgIcon::None);
            return -1;
        }
        auto* contact = new CFoxmailContact;
        contact->setText(CFoxmailContact::kTextPath, textPath);
        contact->setText(CFoxmailContact::kIndexPath, indexPath);
        contact->setText(CFoxmailContact::kName, fieldText(rec, kNameLength, kName, kNameSize));
        contact->setText(CFoxmailContact::kPrimaryAddress,
                         fieldText(rec, kAddressLength, kAddress, kAddressSize));
        contact->setText(CFoxmailContact::kCertFlag,
                         rec[kFlag] ? std::string(1, static_cast<char>(rec[kFlag])) : "");
        contact->setText(CFoxmailContact::kIndexPosition, std::to_string(at + kRecordSize));
        // The block as far as it lies inside the text file.
        const size_t offset = std::min<size_t>(le32(rec + kBlockOffset), text->size());
        const size_t length = std::min<size_t>(le32(rec + kBlockLength), text->size() - offset);
        ParseBlock(*contact, std::string(reinterpret_cast<const char*>(text->data()) + offset, length));
        m_contacts.emplace_back(contact);
    }
    return 0;
}

void CFoxmailAddrBook::ParseBlock(CFoxmailContact& contact, const std::string& block) {
    std::vector<std::string> addresses;
    const size_t emailsEnd = readFolded(block, kEmailsPrefix, addresses);
    contact.setList(CFoxmailContact::kAddresses, addresses);

    // The primary address's position; an address list without it takes the first.
    size_t primary = 0;
    if (addresses.size() != 1) {
        const std::string address = contact.getText(CFoxmailContact::kPrimaryAddress);
        const auto it = std::find(addresses.begin(), addresses.end(), address);
        primary = it == addresses.end() ? 0 : static_cast<size_t>(it - addresses.begin());
    }
    contact.setText(CFoxmailContact::kPrimaryIndex, std::to_string(primary));

    size_t restAt = emailsEnd;
    if (contact.getText(CFoxmailContact::kCertFlag) == "\x01") {
        std::vector<std::string> lines;
        const size_t certsEnd = readFolded(block, emailsEnd + kCertificatesPrefix, lines);
        contact.setList(CFoxmailContact::kCertLines, lines);
        contact.resizeLists(static_cast<int>(lines.size()));
        restAt = certsEnd;
        for (size_t i = 0; i < lines.size(); ++i) {
            auto& hashes = contact.hashList(static_cast<int>(i));
            auto& texts = contact.certList(static_cast<int>(i));
            hashes = splitLine(lines[i]);
            for (const std::string& hash : hashes) {
                // Kept parallel to the hashes: a hash without an entry has an empty text.
                const size_t found = hash.empty() ? std::string::npos : block.find(hash, certsEnd);
                const size_t begin = found == std::string::npos ? found : found + hash.size() + 2;
                const size_t end = begin >= block.size() ? std::string::npos : block.find(kEndLine, begin);
                if (end == std::string::npos) {
                    texts.emplace_back();
                    continue;
                }
                const size_t textEnd = end + std::strlen(kEndLine);
                texts.push_back(block.substr(begin, textEnd - begin));
                restAt = std::min(textEnd + 2, block.size());
            }
        }
    } else {
        contact.setList(CFoxmailContact::kCertLines, {});
        contact.resizeLists(static_cast<int>(addresses.size()));
    }
    contact.setText(CFoxmailContact::kRest, block.substr(std::min(restAt, block.size())));
}

std::string CFoxmailAddrBook::BuildBlock(const CFoxmailContact& contact, unsigned char& flag) {
    const std::vector<std::string> addresses = contact.getList(CFoxmailContact::kAddresses);
    const std::vector<std::string> lines = contact.getList(CFoxmailContact::kCertLines);
    const int def = contact.primaryIndex();
    const bool readWithCerts = contact.getText(CFoxmailContact::kCertFlag) == "\x01";
    const auto* defHashes = contact.findHashList(def);
    const bool defHas = defHashes && !defHashes->empty();
    bool anyHas = false;
    for (int i = 0; i < contact.lineCount(); ++i)
        anyHas = anyHas || !contact.findHashList(i)->empty();

    std::string b = "Emails:";
    for (const std::string& a : addresses)
        b += " " + a + "\r\n";

    auto entries = [&](int line) {
        const auto* hashes = contact.findHashList(line);
        const auto* texts = contact.findCertList(line);
        for (size_t j = 0; hashes && j < hashes->size(); ++j)
            if (j < texts->size() && !(*texts)[j].empty())
                b += yx::mail::hashText((*hashes)[j]) + ": " + (*texts)[j] + "\r\n";
    };
    flag = anyHas ? 0x01 : 0x00;
    if (defHas && !readWithCerts) {
        b += "Certificates:";
        for (size_t i = 0; i < std::max<size_t>(addresses.size(), static_cast<size_t>(def) + 1); ++i) {
            b += ' '; // appended piece by piece: see joined()
            b += static_cast<int>(i) == def ? joined(*defHashes) : std::string("|");
            b += "\r\n";
        }
        entries(def);
    } else if (anyHas) {
        // Line def is made from its hash texts (none: "|"); the other lines stay as read. A
        // primary address beyond the lines read gets lines of its own.
        const size_t count = std::max(lines.size(), defHas ? static_cast<size_t>(def) + 1 : 0);
        b += "Certificates:";
        for (size_t i = 0; i < count; ++i) {
            const std::string line = static_cast<int>(i) == def ? (defHas ? joined(*defHashes) : "|")
                                     : i < lines.size()         ? lines[i]
                                                                : "|";
            b += " " + line + "\r\n";
        }
        for (int i = 0; i < contact.lineCount(); ++i)
            entries(i);
    }
    const std::string rest = contact.getText(CFoxmailContact::kRest);
    b += rest.substr(0, rest.find('\0'));
    return b;
}

bool CFoxmailAddrBook::RecordStillMatches(const CFoxmailContact& contact, const std::string& indexPath,
                                          long long recordAt) {
    unsigned char rec[kRecordSize];
    const int fd = ::open(indexPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool read =
        ::pread(fd, rec, sizeof rec, static_cast<off_t>(recordAt)) == static_cast<ssize_t>(sizeof rec);
    ::close(fd);
    return read && rec[kSkipA] != 1 && rec[kSkipB] != 1 &&
           fieldText(rec, kNameLength, kName, kNameSize) == contact.getText(CFoxmailContact::kName) &&
           fieldText(rec, kAddressLength, kAddress, kAddressSize) ==
               contact.getText(CFoxmailContact::kPrimaryAddress);
}

int CFoxmailAddrBook::SaveContact(CFoxmailContact* contact) {
    if (!contact)
        return 0;
    const std::string textPath = contact->getText(CFoxmailContact::kTextPath);
    const std::string indexPath = contact->getText(CFoxmailContact::kIndexPath);
    const long long position = std::atoll(contact->getText(CFoxmailContact::kIndexPosition).c_str());
    if (position < kHeaderSize + kRecordSize ||
        !RecordStillMatches(*contact, indexPath, position - kRecordSize))
        return 0; // the index changed since it was read: another record must not be repointed
    unsigned char flag = 0;
    const std::string block = BuildBlock(*contact, flag);

    const int text = ::open(textPath.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (text < 0)
        return 0;
    struct stat st {};
    const bool appended = ::fstat(text, &st) == 0 && st.st_size + 16 + block.size() <= 0xFFFFFFFFull &&
                          writeAll(text, BlockSeparator() + block) && ::fsync(text) == 0;
    ::close(text);
    if (!appended)
        return 0; // the index still points at the old block

    // Repointed only now that the new block is on disk. The flag byte goes first when it is
    // cleared and last when it is set, so every intermediate state reads as a contact with
    // either its old or its new certificates, or none.
    const int index = ::open(indexPath.c_str(), O_RDWR | O_CLOEXEC);
    if (index < 0)
        return 0;
    unsigned char where[8];
    putLe32(where, static_cast<uint32_t>(st.st_size + 16));
    putLe32(where + 4, static_cast<uint32_t>(block.size()));
    const off_t record = static_cast<off_t>(position - kRecordSize);
    bool ok = true;
    if (flag == 0)
        ok = writeAt(index, record + kFlag, &flag, 1);
    ok = ok && writeAt(index, record + kBlockOffset, where, sizeof where);
    if (flag != 0)
        ok = ok && writeAt(index, record + kFlag, &flag, 1);
    (void)ok; // a failed repoint leaves the old block in use
    ::fsync(index);
    ::close(index);
    return 0;
}
