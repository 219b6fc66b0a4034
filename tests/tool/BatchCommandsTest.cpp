// yaoxia-tool encrypt/decrypt with several sources and a target folder: every file is its own
// run, the exit status is the first failure's code, and the files written are listed.
#include "../kvx/KvxTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "ToolRunner.h"

using namespace yxtest;
using namespace kvxtest;

namespace {

TEST(ToolBatch, OneBadFileAmongGoodOnesFailsAlone) {
    ScopedDataRoot root;
    TempDir files;
    TestCa ca;
    const Issued me = ca.issue({.cn = "Me", .keyIndex = 1});
    addToStore("my", me);
    const std::string out = files.file("out"), back = files.file("back");
    std::filesystem::create_directory(out);
    std::filesystem::create_directory(back);

    // How each file fares is FileBatchTest's; here the arguments: sources, then the folder.
    const std::vector<Bytes> plains = {randomBytes(5000, 1), {}, randomBytes(3, 3)};
    std::vector<std::string> args = {"encrypt"};
    for (size_t i = 0; i < plains.size(); ++i)
        args.push_back(writeFile(files.path(), "f" + std::to_string(i) + ".bin", plains[i]));
    args.insert(args.end(), {out, "--to", thumbOf(me.cert.get())});
    const ToolRun enc = tool(args);
    EXPECT_EQ(enc.status, 201) << "the first failure's code: an empty source";
    EXPECT_TRUE(has(enc.err, "f1.bin")) << enc.err;
    EXPECT_EQ(toolRows(enc.out).size(), 2u) << enc.out;

    const ToolRun run = tool({"decrypt", out + "/f0.bin.kvx", out + "/f2.bin.kvx", back});
    EXPECT_EQ(run.status, 0) << run.err;
    for (size_t i : {0u, 2u})
        EXPECT_EQ(readFile(back + "/f" + std::to_string(i) + ".bin"), plains[i]) << i;

    // A last argument that is no folder, with more than one source, is a usage error.
    EXPECT_EQ(tool({"decrypt", out + "/f0.bin.kvx", out + "/f2.bin.kvx", files.file("nofolder")}).status, 2);
}

} // namespace
