#include "DiskCertStore.h"

#include "DataPaths.h"
#include "HexText.h"
#include "SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <openssl/pem.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace yx {
namespace {

constexpr size_t kMaxDer = 1u << 20;    // far above any real certificate
constexpr size_t kMaxOrder = 64u << 20; // 41 bytes an entry
constexpr size_t kMaxSmall = 1u << 20;  // props and key files

bool g_rewriteOrderOnAdd = false;

bool isEntryId(std::string_view s) {
    return s.size() == 40 && std::all_of(s.begin(), s.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

std::string escapeValue(const std::string& v) {
    std::string out;
    for (char c : v) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string unescapeValue(const std::string& v) {
    std::string out;
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '\\' || i + 1 == v.size()) {
            out += v[i];
            continue;
        }
        const char n = v[++i];
        out += n == 'n' ? '\n' : n == 'r' ? '\r' : n;
    }
    return out;
}

std::vector<std::string> splitLines(const Bytes& b) {
    std::vector<std::string> lines;
    std::string cur;
    for (unsigned char c : b) {
        if (c == '\n') {
            lines.push_back(cur);
            cur.clear();
        } else {
            cur += static_cast<char>(c);
        }
    }
    if (!cur.empty())
        lines.push_back(cur);
    for (auto& l : lines)
        if (!l.empty() && l.back() == '\r')
            l.pop_back();
    return lines;
}

// PKCS#8 DER to the PEM text kept in the key file; empty when the bytes are no PKCS#8 key.
std::string pkcs8DerToPem(const std::vector<unsigned char>& der) {
    const unsigned char* p = der.data();
    std::unique_ptr<PKCS8_PRIV_KEY_INFO, OsslDeleter<PKCS8_PRIV_KEY_INFO_free>> p8(
        d2i_PKCS8_PRIV_KEY_INFO(nullptr, &p, static_cast<long>(der.size())));
    if (!p8 || p != der.data() + der.size())
        return {};
    EvpPkeyPtr check(EVP_PKCS82PKEY(p8.get()));
    if (!check)
        return {};
    BioPtr bio(BIO_new(BIO_s_secmem()));
    if (!bio || PEM_write_bio_PKCS8_PRIV_KEY_INFO(bio.get(), p8.get()) != 1)
        return {};
    char* data = nullptr;
    const long n = BIO_get_mem_data(bio.get(), &data);
    return n > 0 ? std::string(data, static_cast<size_t>(n)) : std::string();
}

void syncDir(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::shared_ptr<CertStoreBackend> makeDiskStoreBackend(const std::string& name) {
    return std::make_shared<DiskCertStore>(paths::storeDir(name), name == "my");
}

DiskCertStore::DiskCertStore(std::string dir, bool keepsKeys)
    : m_dir(std::move(dir)), m_keepsKeys(keepsKeys) {}

std::string DiskCertStore::entryIdOf(const std::vector<unsigned char>& der) {
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    if (EVP_Digest(der.data(), der.size(), md, &len, EVP_sha1(), nullptr) != 1)
        return {};
    return hexText(md, len);
}

bool DiskCertStore::prepareDir() const {
    if (!paths::ensureDir(m_dir))
        return false;
    ::chmod(m_dir.c_str(), 0700); // the folder may predate us; keys must not be listable by others
    return true;
}

std::string DiskCertStore::pathOf(const std::string& id, const char* ext) const {
    return m_dir + "/" + id + ext;
}

void DiskCertStore::setRewriteOrderOnAdd(bool rewrite) {
    g_rewriteOrderOnAdd = rewrite;
}

std::vector<std::string> DiskCertStore::readOrder() const {
    std::vector<std::string> ids;
    auto bytes = readWholeFile(m_dir + "/order", kMaxOrder);
    if (!bytes)
        return ids;
    // Parsed in place, one allocation a line: a large store's file is read before its first
    // entries can be shown.
    const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    std::unordered_set<std::string_view> seen;
    seen.reserve(text.size() / 41 + 1);
    ids.reserve(text.size() / 41 + 1);
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find('\n', at), text.size());
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (isEntryId(line) && seen.insert(line).second)
            ids.emplace_back(line);
    }
    return ids;
}

bool DiskCertStore::writeOrder(const std::vector<std::string>& ids) const {
    std::string text;
    for (const auto& id : ids)
        text += id + "\n";
    return atomicWriteFile(m_dir + "/order", text, 0600);
}

bool DiskCertStore::appendToOrder(const std::string& id) const {
    // Not synced: the entry's DER file is, and a line lost in a crash is put back by the next load.
    const std::string path = m_dir + "/order";
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    std::string line = id + "\n";
    struct stat st {};
    char last = '\n';
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
        const int rd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (rd < 0 || ::pread(rd, &last, 1, st.st_size - 1) != 1)
            last = 0;
        if (rd >= 0)
            ::close(rd);
    }
    if (last != '\n')
        line.insert(line.begin(), '\n'); // a line cut short by a crash stays on its own
    const bool ok = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    return ::close(fd) == 0 && ok;
}

std::vector<std::string> DiskCertStore::currentIds(const std::vector<std::string>& listed) const {
    namespace fs = std::filesystem;
    struct Found {
        fs::file_time_type mtime;
        std::string id;
    };
    std::vector<Found> onDisk;
    std::error_code ec;
    for (fs::directory_iterator it(m_dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != 44 || name.compare(40, 4, ".der") != 0 || !isEntryId(name.substr(0, 40)))
            continue;
        onDisk.push_back({fs::file_time_type{}, name.substr(0, 40)});
    }
    std::unordered_map<std::string, bool> listedNow; // id on disk -> named by `listed`
    listedNow.reserve(onDisk.size());
    for (const auto& f : onDisk)
        listedNow.emplace(f.id, false);
    std::vector<std::string> ids;
    ids.reserve(onDisk.size());
    for (const auto& id : listed) {
        auto f = listedNow.find(id);
        if (f == listedNow.end() || f->second)
            continue; // its files vanished
        f->second = true;
        ids.push_back(id);
    }
    // Entries the order file does not know (a crash between writing an entry and the order file,
    // or a damaged order file): oldest first, ties by name, so every reader sees the same order.
    std::erase_if(onDisk, [&](const Found& f) { return listedNow[f.id]; });
    for (auto& f : onDisk) { // only these need their time: a large store is listed without a stat each
        std::error_code tec;
        const auto t = fs::last_write_time(pathOf(f.id, ".der"), tec);
        f.mtime = tec ? fs::file_time_type{} : t;
    }
    std::sort(onDisk.begin(), onDisk.end(), [](const Found& a, const Found& b) {
        return a.mtime != b.mtime ? a.mtime < b.mtime : a.id < b.id;
    });
    for (auto& f : onDisk)
        ids.push_back(f.id);
    return ids;
}

DiskCertStore::Props DiskCertStore::readProps(const std::string& id) const {
    Props p;
    auto bytes = readWholeFile(pathOf(id, ".props"), kMaxSmall);
    if (!bytes)
        return p;
    for (const auto& line : splitLines(*bytes)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq);
        const std::string value = unescapeValue(line.substr(eq + 1));
        if (key == "friendlyName")
            p.friendlyName = value;
        else if (key == "provider")
            p.provider = value;
    }
    return p;
}

bool DiskCertStore::writeProps(const std::string& id, const Props& props) const {
    std::string text;
    if (props.friendlyName)
        text += "friendlyName=" + escapeValue(*props.friendlyName) + "\n";
    if (!props.provider.empty())
        text += "provider=" + escapeValue(props.provider) + "\n";
    return atomicWriteFile(pathOf(id, ".props"), text, 0600);
}

void DiskCertStore::removeStaleTemporaries() const {
    // Left by a writer that died between creating and renaming its temporary file. Every writer
    // holds the lock, so none of these belongs to a write in progress.
    namespace fs = std::filesystem;
    std::error_code ec;
    for (fs::directory_iterator it(m_dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > 10 && name.compare(name.size() - 10, 4, ".tmp") == 0)
            ::unlink(it->path().c_str());
    }
}

bool DiskCertStore::load(std::vector<StoreEntry>& out) {
    out.clear();
    return loadInSteps(
        [&out](std::vector<StoreEntry>& batch) {
            for (auto& e : batch)
                out.push_back(std::move(e));
            return true;
        },
        256);
}

CertContextPtr DiskCertStore::readEntry(const std::string& id) const {
    auto der = readWholeFile(pathOf(id, ".der"), kMaxDer);
    if (!der)
        return nullptr;
    auto ctx = CertContext::fromDer(der->data(), der->size());
    if (!ctx || entryIdOf(ctx->der) != id)
        return nullptr; // damaged on disk: skipped, the other entries still load
    const Props props = readProps(id);
    ctx->friendlyName = props.friendlyName;
    ctx->providerName = props.provider;
    if (m_keepsKeys && isRegularFile(pathOf(id, ".key")))
        ctx->keyPath = pathOf(id, ".key");
    return ctx;
}

bool DiskCertStore::loadInSteps(const BatchFn& onBatch, size_t batchSize) {
    if (!prepareDir())
        return false;
    // The entries the order file lists are read first, so the first batch does not wait for
    // the folder to be listed; the listing then adds the entries the file misses and repairs it.
    // The lock covers the reads of the order file and the listing only: every file is replaced
    // by rename, so the entries are read whole without it, and imports need not wait for a long
    // load. A store we may read but not write (no lock file possible) is still read.
    std::vector<std::string> listed;
    {
        FileLock lock(m_dir + "/.lock");
        std::error_code ec;
        std::filesystem::directory_iterator probe(m_dir, ec);
        if (ec)
            return false;
        listed = readOrder();
    }
    auto self = weak_from_this();
    const size_t size = std::max<size_t>(batchSize, 1);
    std::vector<StoreEntry> batch;
    batch.reserve(size);
    std::unordered_set<std::string_view> tried; // of `listed`
    tried.reserve(listed.size());
    // False when the receiver wants no more.
    const auto send = [&](const std::string& id) {
        auto ctx = readEntry(id);
        if (!ctx)
            return true; // removed meanwhile, or damaged
        ctx->store = self;
        ctx->entryId = id;
        batch.push_back({id, std::move(ctx)});
        if (batch.size() < size)
            return true;
        const bool more = onBatch(batch);
        batch.clear();
        return more;
    };
    for (const auto& id : listed) {
        if (!send(id))
            return true;
        tried.insert(id);
    }
    std::vector<std::string> ids;
    {
        FileLock lock(m_dir + "/.lock");
        if (lock.locked())
            removeStaleTemporaries();
        const auto order = readOrder(); // imports may have added lines meanwhile
        ids = currentIds(order);
        if (ids != order)
            writeOrder(ids); // repair; a read-only store still loads
    }
    for (const auto& id : ids)
        if (!tried.count(id) && !send(id))
            return true;
    onBatch(batch); // the last part, or the one call an empty store gets
    return true;
}

bool DiskCertStore::add(const std::vector<unsigned char>& der, const std::vector<unsigned char>& pkcs8Key,
                        const std::optional<std::string>& friendlyName, const std::string& providerName) {
    if (!CertContext::fromDer(der.data(), der.size()))
        return false;
    if (!pkcs8Key.empty() && !m_keepsKeys)
        return false; // private keys live in the personal store only
    std::string keyPem;
    if (!pkcs8Key.empty()) {
        keyPem = pkcs8DerToPem(pkcs8Key);
        if (keyPem.empty())
            return false;
    }
    const std::string id = entryIdOf(der);
    if (!isEntryId(id) || !prepareDir())
        return false;
    FileLock lock(m_dir + "/.lock");
    if (!lock.locked())
        return false;
    if (g_rewriteOrderOnAdd || !m_swept.exchange(true))
        removeStaleTemporaries(); // later ones: the next load clears them

    const bool exists = isRegularFile(pathOf(id, ".der"));
    Props props;
    if (exists) {
        props = readProps(id); // re-import replaces in place: given properties win, others stay
    } else {
        ::unlink(pathOf(id, ".key").c_str()); // leftovers of a removal cut short
        ::unlink(pathOf(id, ".props").c_str());
    }
    if (friendlyName)
        props.friendlyName = friendlyName;
    if (!providerName.empty())
        props.provider = providerName;

    bool ok = true;
    if (!keyPem.empty()) {
        ok = atomicWriteFile(pathOf(id, ".key"), keyPem, 0600);
        OPENSSL_cleanse(keyPem.data(), keyPem.size());
    }
    if (ok && (props.friendlyName || !props.provider.empty() || fileExists(pathOf(id, ".props"))))
        ok = writeProps(id, props);
    // The DER file makes the entry visible, so it is written last.
    if (ok)
        ok = atomicWriteFile(pathOf(id, ".der"), der, 0600);
    if (!ok) {
        if (!exists) {
            ::unlink(pathOf(id, ".key").c_str());
            ::unlink(pathOf(id, ".props").c_str());
        }
        return false;
    }
    // On failure the entry is still stored; the next load appends it.
    if (g_rewriteOrderOnAdd) {
        auto listed = readOrder();
        if (std::find(listed.begin(), listed.end(), id) == listed.end())
            listed.push_back(id);
        writeOrder(currentIds(listed));
    } else if (!exists) {
        appendToOrder(id); // a replaced entry keeps its line and its place
    }
    return true;
}

bool DiskCertStore::remove(const std::string& id) {
    if (!isEntryId(id) || !prepareDir())
        return false;
    FileLock lock(m_dir + "/.lock");
    if (!lock.locked())
        return false;
    // The DER file goes first: once it is gone the entry is gone, whatever happens next.
    if (::unlink(pathOf(id, ".der").c_str()) != 0)
        return false;
    ::unlink(pathOf(id, ".key").c_str());
    ::unlink(pathOf(id, ".props").c_str());
    syncDir(m_dir);
    writeOrder(currentIds(readOrder()));
    return true;
}

bool DiskCertStore::saveProperties(const CertContext& ctx) {
    if (!isEntryId(ctx.entryId) || !prepareDir())
        return false;
    FileLock lock(m_dir + "/.lock");
    if (!lock.locked() || !isRegularFile(pathOf(ctx.entryId, ".der")))
        return false;
    Props props = readProps(ctx.entryId);
    props.friendlyName = ctx.friendlyName;
    props.provider = ctx.providerName;
    return writeProps(ctx.entryId, props);
}

} // namespace yx
