// yaoxia-tool subcommands over encrypted files: the same engine, worker and messages as the
// file encryption page, with the dialogs' choices taken from options.
#include "CertList.h"
#include "CertStore.h"
#include "Commands.h"
#include "DecryptOperation.h"
#include "EngineWorker.h"
#include "FileBatch.h"
#include "FilePathHelpers.h"
#include "SafeFile.h"
#include "SecureFileInfo.h"
#include "Settings.h"
#include "ToolArgs.h"
#include "UserPrompt.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace yx::tool {
namespace {

using namespace yx::kvx;

std::string withoutSpaces(std::string s) {
    std::erase(s, ' ');
    return s;
}

// Runs are silent on the console: the run's own messages say how it ended.
class QuietObserver : public EngineObserver {
public:
    void progress(int) override {}
    void finished(int) override {}
};

template <typename Job> int runOnWorker(Job job, bool (EngineWorker::*start)(Job)) {
    QuietObserver observer;
    EngineWorker worker(observer);
    if (!(worker.*start)(std::move(job))) {
        std::fprintf(stderr, "yaoxia-tool: the worker thread cannot be started\n");
        return kCancelled;
    }
    return worker.wait();
}

bool isFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

// Several sources and a target folder: every argument but the last is a source. Empty when the
// arguments name one source and one target file.
std::vector<std::string> batchSources(const ToolArgs& args, std::string& folder) {
    std::vector<std::string> sources;
    const std::string last = TrimPath(args.at(args.count() - 1));
    if (args.count() < 3 && !isFolder(last))
        return sources;
    folder = last;
    for (size_t i = 0; i + 1 < args.count(); ++i)
        sources.push_back(TrimPath(args.at(i)));
    return sources;
}

// The outcome of every file, in the order given: the written file on stdout, a failure with
// its reason on stderr. The first failure's code is the job's, 0 when every file went through.
int reportBatch(const std::vector<BatchFile>& files, const std::vector<BatchOutcome>& outcomes) {
    int first = kResultOk;
    for (size_t i = 0; i < files.size(); ++i) {
        if (outcomes[i].result == kResultOk) {
            std::printf("%s\n", outcomes[i].written.c_str());
            continue;
        }
        std::fprintf(stderr, "yaoxia-tool: %s: failed (%d): %s\n", files[i].source.c_str(),
                     outcomes[i].result, outcomes[i].reason.c_str());
        if (first == kResultOk)
            first = outcomes[i].result;
    }
    return first;
}

int encryptEach(const std::vector<std::string>& sources, const std::string& folder,
                const CCertList& recipients, const std::string& password, bool deleteSource) {
    std::vector<BatchFile> files;
    for (const std::string& source : sources)
        files.push_back({source, EnsureFileExt(pathInFolder(folder, source), ".kvx")});
    FileBatch batch;
    return reportBatch(files, batch.encrypt(files, {&recipients, password, deleteSource}));
}

int decryptEach(const std::vector<std::string>& sources, const std::string& folder,
                const std::string& password, const std::string& thumbprint) {
    std::vector<BatchFile> files;
    for (const std::string& source : sources)
        files.push_back({source, StripFileExt(pathInFolder(folder, source))});
    FileBatch batch;
    return reportBatch(files, batch.decrypt(files, {password, thumbprint}));
}

} // namespace

int cmdEncrypt(int argc, char** argv) {
    const char* usage = "encrypt SOURCE TARGET | SOURCE... FOLDER [--to THUMBPRINT]... [--password SRC] "
                        "[--delete-source]";
    ToolArgs args;
    if (!args.parse(argc, argv, 1, {"delete-source"}) || args.count() < 2)
        return usageError(usage);
    std::string folder;
    const std::vector<std::string> sources = batchSources(args, folder);
    if (!sources.empty() && !isFolder(folder))
        return usageError(usage);
    const std::string source = TrimPath(args.at(0));
    const std::string target = TrimPath(args.at(1));
    if (source.empty() || target.empty())
        return usageError(usage);
    if (sources.empty() && !fileExists(source)) {
        showMessage("您所指定的文件不存在！", MsgIcon::Error);
        return kFileIo;
    }
    auto password = passwordOption(args, "password");
    if (!password)
        return 2;

    // The stores own the certificates the list borrows; they live until the run has ended.
    CMyCertStore my;
    COtherCertStore other;
    my.OpenCertStore();
    other.OpenCertStore();
    CCertList list;
    const std::string defaultHash = withoutSpaces(settings::defaultEncCertHash());
    if (!defaultHash.empty()) {
        CDigitalCertificate* def = my.FindByThumb(defaultHash);
        if (!def) {
            showMessage("请配置默认的文件加密证书！", MsgIcon::Information);
            return 2;
        }
        list.Add(def, false);
    }
    for (const std::string& thumb : args.all("to")) {
        CDigitalCertificate* cert = other.FindByThumb(withoutSpaces(thumb));
        if (!cert)
            cert = my.FindByThumb(withoutSpaces(thumb));
        if (!cert) {
            std::fprintf(stderr, "yaoxia-tool: no certificate with thumbprint %s\n", thumb.c_str());
            return 2;
        }
        list.Add(cert, false);
    }
    if (list.GetCount() == 0) {
        showMessage("请配置默认的文件加密证书！", MsgIcon::Information);
        return 2;
    }
    if (!sources.empty())
        return encryptEach(sources, folder, list, *password, args.has("delete-source"));
    EncryptJob job;
    job.source = source;
    job.target = EnsureFileExt(target, ".kvx");
    job.certificates = &list;
    job.password = *password;
    job.deleteSource = args.has("delete-source");
    const int rc = runOnWorker(std::move(job), &EngineWorker::startEncrypt);
    if (rc == kResultOk)
        std::printf("%s\n", EnsureFileExt(target, ".kvx").c_str());
    return rc;
}

int cmdDecrypt(int argc, char** argv) {
    const char* usage = "decrypt SOURCE TARGET | SOURCE... FOLDER [--cert THUMBPRINT] [--password SRC]";
    ToolArgs args;
    if (!args.parse(argc, argv, 1, {}) || args.count() < 2)
        return usageError(usage);
    std::string folder;
    if (const auto sources = batchSources(args, folder); !sources.empty()) {
        if (!isFolder(folder))
            return usageError(usage);
        auto password = passwordOption(args, "password");
        if (!password)
            return 2;
        return decryptEach(sources, folder, *password, args.option("cert").value_or(""));
    }
    DecryptRequest request;
    request.source = TrimPath(args.at(0));
    request.target = TrimPath(args.at(1));
    if (request.source.empty() || request.target.empty())
        return usageError(usage);
    if (!fileExists(request.source)) {
        showMessage("您所指定的文件不存在！", MsgIcon::Error);
        return kFileIo;
    }
    auto password = passwordOption(args, "password");
    if (!password)
        return 2;
    request.password = *password;
    request.certThumbprint = args.option("cert").value_or("");
    request.askToOpen = false; // a script opens nothing
    DecryptJob job;
    if (const int rc = prepareDecrypt(request, job); rc != kResultOk)
        return rc;
    const std::string written = job.target;
    const int rc = runOnWorker(std::move(job), &EngineWorker::startDecrypt);
    if (rc == kResultOk)
        std::printf("%s\n", written.c_str());
    return rc;
}

int cmdInfo(int argc, char** argv) {
    const char* usage = "info FILE";
    ToolArgs args;
    if (!args.parse(argc, argv, 1, {}) || args.count() != 1)
        return usageError(usage);
    const SecureFileProperties p = secureFileProperties(TrimPath(args.at(0)));
    std::printf("安全文件类型：%s\n", p.fileType.c_str());
    if (p.fileType == "文件格式错误!")
        return 1;
    std::printf("原始文件类型：%s\n", p.extension.c_str());
    std::printf("原始文件大小：%s\n", p.size.c_str());
    std::printf("加密算法：%s\n", p.algorithm.c_str());
    std::printf("密码保护设置：%s\n", p.protection.c_str());
    std::printf("加密者证书信息：\n");
    for (const auto& name : p.recipients)
        std::printf("\t%s\n", name.c_str());
    return 0;
}

int cmdSetDefaultCert(int argc, char** argv) {
    const char* usage = "set-default-cert THUMBPRINT  (an empty THUMBPRINT clears the setting)";
    ToolArgs args;
    if (!args.parse(argc, argv, 1, {}) || args.count() != 1)
        return usageError(usage);
    std::string value;
    const std::string wanted = withoutSpaces(args.at(0));
    if (!wanted.empty()) {
        CMyCertStore my;
        my.OpenCertStore();
        CDigitalCertificate* cert = my.FindByThumb(wanted);
        if (!cert) {
            std::fprintf(stderr, "yaoxia-tool: no personal certificate with thumbprint %s\n",
                         args.at(0).c_str());
            return 2;
        }
        cert->getThumbPrint(value); // stored as the certificate's own thumbprint text
    }
    if (!settings::WriteProfileString("DefaultEncCert", "CertHash", value)) {
        std::fprintf(stderr, "yaoxia-tool: the settings cannot be written\n");
        return 1;
    }
    return 0;
}

} // namespace yx::tool
