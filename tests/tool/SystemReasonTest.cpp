// A run that fails on the file system prints its fixed message, and yaoxia-tool adds the
// system's reason on standard error; the log keeps it too.
#include "../kvx/KvxTestSupport.h"
#include "SecLog.h"
#include "ToolRunner.h"

#include <gtest/gtest.h>

using namespace yxtest;
using namespace kvxtest;

TEST(ToolSystemReason, AFailedWriteNamesTheSystemsReason) {
    ScopedDataRoot root;
    TempDir files;
    TestCa ca;
    const Issued me = ca.issue({.cn = "王五", .keyIndex = 1});
    addToStore("my", me);
    const std::string src = writeFile(files.path(), "data.bin", randomBytes(100, 1));
    const std::string target = files.file("missing-folder/data.kvx");

    const ToolRun run = tool({"encrypt", src, target, "--to", thumbOf(me.cert.get())});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("文件读写错误！"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(target + "”失败：No such file or directory"), std::string::npos) << run.err;
    const Bytes log = readFile(CSecLog::logFilePath());
    EXPECT_NE(std::string(log.begin(), log.end()).find("No such file or directory"), std::string::npos);
}
