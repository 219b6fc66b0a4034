#include "EncryptionEngine.h"

#include "CapiCompat.h"
#include "CertList.h"
#include "DigitalCertificate.h"
#include "FilePathHelpers.h"
#include "PendingFile.h"
#include "ShellHelpers.h"
#include "SystemError.h"
#include "TripleDesStream.h"
#include "UserPrompt.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace yx::kvx {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

constexpr size_t kIoBuffer = 1u << 16; // stdio buffer of each file; fixed, whatever the file size

FilePtr openSource(const std::string& path) {
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (f)
        std::setvbuf(f.get(), nullptr, _IOFBF, kIoBuffer);
    else
        noteSystemError("打开", path, errno);
    return f;
}

// A run that failed on a file without saying why (a read or write in the middle of it) leaves
// the system's reason in errno: it goes to the log with the file the run writes.
template <typename Run> int withSystemReason(const std::string& target, Run run) {
    const unsigned notedBefore = systemErrorsNoted();
    errno = 0;
    const int result = run();
    if (result == kFileIo && systemErrorsNoted() == notedBefore)
        noteSystemError("读写", target, errno);
    return result;
}

// The file size, or -1 after telling the user it cannot be read.
int64_t sourceSize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        noteSystemError("读取", path, errno);
        showMessage("取文件长度时失败！", MsgIcon::Error);
        return -1;
    }
    return static_cast<int64_t>(st.st_size);
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Keys leave memory when the run ends.
struct KeyGuard {
    TripleDesKey key{};
    ~KeyGuard() { OPENSSL_cleanse(key.data(), key.size()); }
};

// One recipient record for `cert`, its blob wrapping `session`; 0 or a result code.
int buildRecord(CDigitalCertificate* cert, const TripleDesKey& session, RecordBytes& out) {
    KavexEncStruct rec;
    if (!cert || !cert->getPCCERT() || !cert->getPCCERT()->x509)
        return kCertCopy;
    cert->getDisplayName(rec.displayName);
    cert->getSubjectName(rec.subjectName);
    cert->getSerialNumber(rec.serialNumber);
    cert->getThumbPrint(rec.thumbprint);
    EVP_PKEY* pub = X509_get0_pubkey(cert->getPCCERT()->x509.get());
    if (!pub || EVP_PKEY_get_base_id(pub) != EVP_PKEY_RSA)
        return kPublicKeyImport;
    size_t blobSize = 0;
    if (!capi::simpleBlobSize(pub, blobSize))
        return kSessionKeySize;
    if (blobSize > kRecBlobWidth)
        return kRecipientKeyTooLong;
    if (!capi::exportSimpleBlob(session, pub, rec.keyBlob) || !rec.toBytes(out))
        return kSessionKeyExport;
    return kResultOk;
}

} // namespace

CEncryptionEngine::CEncryptionEngine(EngineObserver* observer, const std::atomic<int>* cancel)
    : m_observer(observer), m_cancel(cancel) {}

void CEncryptionEngine::reset(uint64_t total) {
    m_total = total;
    m_done = 0;
    m_shown = 0;
}

void CEncryptionEngine::advance(uint64_t bytes) {
    m_done += bytes;
    if (m_total == 0)
        return;
    const int percent = static_cast<int>(static_cast<double>(m_done) * 100.0 / static_cast<double>(m_total));
    if (percent != m_shown) {
        m_shown = percent;
        if (m_observer)
            m_observer->progress(percent);
    }
}

int CEncryptionEngine::encrypt(const EncryptJob& job) {
    const int result = withSystemReason(job.target, [&] { return encryptRun(job); });
    if (isEndMessage(result))
        showMessage(engineMessage(result), MsgIcon::Error);
    return result;
}

int CEncryptionEngine::encryptRun(const EncryptJob& job) {
    const int64_t size = sourceSize(job.source);
    if (size == 0)
        return kEmptySource;
    FilePtr src = openSource(job.source);
    PendingFile out;
    if (!src || !out.create(job.target, 0644))
        return kFileIo;
    std::FILE* dst = out.stream();

    EncFileHeader header;
    header.protectedFlag = !job.password.empty();
    header.extension = GetFileExt(job.source);
    header.sourceSize = static_cast<uint32_t>(size); // the field holds the low 32 bits
    const auto marker = markerV2Bytes();
    const HeaderBytes headerBytes = header.toBytes();
    std::fwrite(marker.data(), 1, marker.size(), dst);
    std::fwrite(headerBytes.data(), 1, headerBytes.size(), dst);

    KeyGuard session;
    const bool keyMade = job.password.empty() ? capi::generateSessionKey(session.key)
                                              : capi::derivePasswordKey(job.password, session.key);
    if (!keyMade)
        return kCryptCall;

    const CCertList* list = job.certificates;
    if (!list || list->GetCount() == 0)
        return kCryptCall;
    for (int i = 0; i < list->GetCount(); ++i) {
        RecordBytes record;
        if (const int rc = buildRecord(list->GetAt(i), session.key, record); rc != kResultOk)
            return rc;
        if (std::fwrite(record.data(), 1, record.size(), dst) != record.size())
            return kFileIo;
    }

    reset(size > 0 ? static_cast<uint64_t>(size) : 0);
    const int rc = job.tuning.threads == 1 ? encryptPieces(src.get(), dst, session.key)
                                           : encryptChunks(src.get(), dst, session.key, job.tuning);
    if (rc != kResultOk)
        return rc;
    if (cancelled())
        return kCancelled;
    // The header promised this many bytes; a source that changed while it was read would make
    // a file that can never be decrypted to what it says.
    if (size >= 0 && m_done != static_cast<uint64_t>(size))
        return kFileIo;
    src.reset();
    if (!out.commit())
        return kFileIo;
    if (job.deleteSource && !sameFile(job.source, job.target))
        ::unlink(job.source.c_str());
    if (!job.quiet)
        showMessage("加密成功！", MsgIcon::Information);
    return kResultOk;
}

int CEncryptionEngine::decrypt(const DecryptJob& job) {
    const int result = withSystemReason(job.target, [&] { return decryptRun(job); });
    if (result != kResultOk && result != kCancelled)
        showMessage(engineMessage(result), MsgIcon::Error);
    return result;
}

int CEncryptionEngine::decryptRun(const DecryptJob& job) {
    const int64_t size = sourceSize(job.source);
    if (size == 0)
        return kEncFileEmpty;
    if (size > 0 && static_cast<uint64_t>(size) <= job.dataOffset)
        return kEncFileDamaged;

    PersonalStoreKeys personal;
    RecipientKeySource& keys = job.keys ? *job.keys : personal;
    const std::string thumb = getText(&job.record[kRecThumb], kRecThumbWidth);
    std::string compact;
    std::copy_if(thumb.begin(), thumb.end(), std::back_inserter(compact), [](char c) { return c != ' '; });
    EvpPkeyPtr privateKey;
    if (const int rc = keys.privateKey(compact, privateKey); rc != kResultOk)
        return rc;
    const KavexEncStruct record = KavexEncStruct::fromBytes(job.record);
    KeyGuard session;
    if (!capi::importSimpleBlob(record.keyBlob.data(), record.keyBlob.size(), privateKey.get(), session.key))
        return kSessionKeyImport;
    privateKey.reset();
    if (!job.password.empty() && !capi::checkPassword(session.key, job.password))
        return kWrongPassword;

    FilePtr src = openSource(job.source);
    PendingFile out;
    if (!src || !out.create(job.target, 0600))
        return kFileIo;
    if (std::fseek(src.get(), static_cast<long>(job.dataOffset), SEEK_SET) != 0)
        return kFileIo;
    std::FILE* dst = out.stream();

    // The output's length is not compared with the header's size field: that field holds only
    // the low 32 bits of the size, and other builds do not compare it either.
    const uint64_t length = size > 0 ? static_cast<uint64_t>(size) - job.dataOffset : 0;
    reset(length);
    const int rc = job.tuning.threads == 1 ? decryptPieces(src.get(), dst, length, session.key)
                                           : decryptChunks(src.get(), dst, length, session.key, job.tuning);
    if (rc != kResultOk)
        return rc;
    if (cancelled())
        return kCancelled;
    src.reset();
    if (!out.commit())
        return kFileIo;
    if (m_shown != 100) {
        m_shown = 100;
        if (m_observer)
            m_observer->progress(100);
    }
    if (job.askToOpen && showMessage("解密成功，是否打开解密文件？", MsgIcon::Information,
                                     MsgButtons::OkCancel) == MsgAnswer::Ok)
        OpenWithShell(nullptr, job.target);
    return kResultOk;
}

} // namespace yx::kvx
