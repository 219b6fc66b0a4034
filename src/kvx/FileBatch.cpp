#include "FileBatch.h"

#include "CertList.h"
#include "DecryptOperation.h"
#include "DigitalCertificate.h"
#include "SafeFile.h"
#include "UserPrompt.h"

#include <algorithm>
#include <system_error>

namespace yx::kvx {

void runEach(size_t count, unsigned threads, const std::function<void(size_t)>& run) {
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    const size_t helpers = std::min<size_t>(threads, count) - (count > 0 ? 1 : 0);
    std::atomic<size_t> next{0};
    auto loop = [&] {
        for (size_t i = next++; i < count; i = next++)
            run(i);
    };
    std::vector<std::thread> pool;
    for (size_t t = 0; t < helpers; ++t) {
        try {
            pool.emplace_back(loop);
        } catch (const std::system_error&) {
            break; // fewer helpers; the calling thread takes the rest
        }
    }
    loop();
    for (auto& t : pool)
        t.join();
}

std::string pathInFolder(const std::string& folder, const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

namespace {

// The reason of the file the current thread runs, null on threads that run no file.
thread_local std::string* t_reason = nullptr;

// A file's run: its progress goes to the job's observer under the file's index.
class FileProgress : public EngineObserver {
public:
    FileProgress(BatchObserver* observer, size_t index) : m_observer(observer), m_index(index) {}
    void progress(int percent) override {
        if (m_observer)
            m_observer->fileProgress(m_index, percent);
    }
    void finished(int) override {}

private:
    BatchObserver* m_observer;
    size_t m_index;
};

} // namespace

// Messages asked on a thread that runs a file become that file's reason: many runs at once
// must not each stop on a message box, and the job's report names every failure anyway.
// Questions get the cautious answer. Everything else goes to the prompt installed before.
class FileBatch::KeptMessages : public UserPrompt {
public:
    KeptMessages() : m_inner(prompt()) { setPrompt(this); }
    ~KeptMessages() override { setPrompt(&m_inner); }

    MsgAnswer message(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons,
                      void* owner) override {
        if (!t_reason)
            return m_inner.message(text, caption, icon, buttons, owner);
        if (!text.empty())
            *t_reason += (t_reason->empty() ? "" : " ") + text;
        return buttons == MsgButtons::Ok                                            ? MsgAnswer::Ok
               : buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::No
                                                                                    : MsgAnswer::Cancel;
    }
    std::optional<std::string> chooseFile(const FileChooserRequest& request, void* owner) override {
        return t_reason ? std::nullopt : m_inner.chooseFile(request, owner);
    }
    bool openWithDesktop(const std::string& pathOrUrl) override {
        return t_reason ? false : m_inner.openWithDesktop(pathOrUrl);
    }
    int runProgram(const std::vector<std::string>& argv, bool wait) override {
        return t_reason ? -1 : m_inner.runProgram(argv, wait);
    }

private:
    UserPrompt& m_inner;
};

FileBatch::FileBatch(BatchObserver* observer, unsigned threads)
    : m_observer(observer), m_threads(threads), m_messages(std::make_unique<KeptMessages>()) {}

FileBatch::~FileBatch() {
    cancel();
    wait();
}

std::vector<BatchOutcome> FileBatch::runAll(const std::vector<BatchFile>& files, const RunOne& run) {
    std::vector<BatchOutcome> outcomes(files.size());
    runEach(files.size(), m_threads, [&](size_t i) {
        BatchOutcome& out = outcomes[i];
        if (files[i].skip || cancelRequested()) {
            out.state = files[i].skip ? BatchState::Skipped : BatchState::Cancelled;
            if (m_observer)
                m_observer->fileEnded(i, out);
            return;
        }
        out.state = BatchState::Running;
        if (m_observer)
            m_observer->fileStarted(i);
        t_reason = &out.reason;
        try {
            FileProgress progress(m_observer, i);
            CEncryptionEngine engine(&progress, &m_cancel);
            if (fileExists(files[i].source)) {
                out.result = run(i, engine, out);
            } else {
                out.reason = "您所指定的文件不存在！";
                out.result = kFileIo;
            }
        } catch (...) {
            out.result = kFileIo; // out of memory and the like: this file failed, the job goes on
        }
        t_reason = nullptr;
        out.state = out.result == kResultOk    ? BatchState::Done
                    : out.result == kCancelled ? BatchState::Cancelled
                                               : BatchState::Failed;
        if (out.state == BatchState::Failed && out.reason.empty())
            out.reason = engineMessage(out.result);
        if (out.state == BatchState::Failed && out.reason.empty())
            out.reason = "错误代码 " + std::to_string(out.result);
        if (out.state != BatchState::Failed)
            out.reason.clear();
        if (m_observer)
            m_observer->fileEnded(i, out);
    });
    return outcomes;
}

std::vector<BatchOutcome> FileBatch::encrypt(const std::vector<BatchFile>& files,
                                             const EncryptBatchOptions& options) {
    return runAll(files, [&](size_t i, CEncryptionEngine& engine, BatchOutcome& out) {
        // A list of its own: the runs on other threads read the same certificates meanwhile.
        CCertList list;
        if (options.certificates)
            for (int r = 0; r < options.certificates->GetCount(); ++r)
                list.Add(new CDigitalCertificate(options.certificates->GetAt(r)->getPCCERT()), true);
        EncryptJob job{files[i].source, files[i].target, &list, options.password, options.deleteSource, true};
        out.written = job.target;
        return engine.encrypt(job);
    });
}

std::vector<BatchOutcome> FileBatch::decrypt(const std::vector<BatchFile>& files,
                                             const DecryptBatchOptions& options) {
    return runAll(files, [&](size_t i, CEncryptionEngine& engine, BatchOutcome& out) {
        DecryptRequest request;
        request.source = files[i].source;
        request.target = files[i].target;
        request.password = options.password;
        request.certThumbprint = options.certThumbprint;
        request.askToOpen = false;
        request.keys = options.keys;
        request.lenient = true;
        DecryptJob job;
        if (const int rc = prepareDecrypt(request, job); rc != kResultOk)
            return rc;
        out.written = job.target;
        return engine.decrypt(job);
    });
}

template <typename Options>
bool FileBatch::start(std::vector<BatchFile> files, Options options,
                      std::vector<BatchOutcome> (FileBatch::*run)(const std::vector<BatchFile>&,
                                                                  const Options&)) {
    if (m_thread.joinable())
        return false;
    try {
        m_thread = std::thread([this, files = std::move(files), options = std::move(options), run] {
            m_outcomes = (this->*run)(files, options);
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

bool FileBatch::startEncrypt(std::vector<BatchFile> files, EncryptBatchOptions options) {
    return start(std::move(files), std::move(options), &FileBatch::encrypt);
}

bool FileBatch::startDecrypt(std::vector<BatchFile> files, DecryptBatchOptions options) {
    return start(std::move(files), std::move(options), &FileBatch::decrypt);
}

std::vector<BatchOutcome> FileBatch::wait() {
    if (m_thread.joinable())
        m_thread.join();
    return m_outcomes;
}

} // namespace yx::kvx
