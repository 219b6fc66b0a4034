// Loading a store in steps and adding many certificates: every entry arrives once and in store
// order, whatever the batch size; a stop ends the worker; adds that die or fail half-way leave a
// store that loads every whole entry exactly once.
#include "StoreStepLoader.h"
#include "DiskCertStore.h"

#include "DataPaths.h"
#include "SafeFile.h"
#include "TestPki.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace yxtest;

namespace {

const std::vector<Issued>& people() {
    static const std::vector<Issued> made = [] {
        TestCa ca;
        std::vector<Issued> out;
        for (int i = 0; i < 30; ++i)
            out.push_back(ca.issue({.cn = "批量" + std::to_string(i)}));
        return out;
    }();
    return made;
}

std::string idOf(size_t i) {
    return yx::DiskCertStore::entryIdOf(people()[i].der());
}

std::vector<std::string> idsOf(size_t from, size_t to) {
    std::vector<std::string> out;
    for (size_t i = from; i < to; ++i)
        out.push_back(idOf(i));
    return out;
}

class StepLoad : public ::testing::Test {
protected:
    ScopedDataRoot root;
    std::shared_ptr<yx::DiskCertStore> store =
        std::make_shared<yx::DiskCertStore>(yx::paths::storeDir("other"), false);

    void addRange(size_t from, size_t to) {
        for (size_t i = from; i < to; ++i)
            ASSERT_TRUE(store->add(people()[i].der(), {}, std::nullopt, ""));
    }
    std::vector<std::string> loaded() {
        std::vector<yx::StoreEntry> entries;
        EXPECT_TRUE(store->load(entries));
        std::vector<std::string> out;
        for (const auto& e : entries)
            out.push_back(e.id);
        return out;
    }
    // Everything a step loader hands over, taken until it has finished.
    std::vector<std::string> stepped(size_t batch) {
        yx::StoreStepLoader loader(store, {batch, false, false}, nullptr);
        std::vector<std::string> out;
        for (;;) {
            auto step = loader.take();
            for (const auto& e : step.entries)
                out.push_back(e.id);
            if (step.finished)
                return out;
            std::this_thread::yield();
        }
    }
};

} // namespace

TEST_F(StepLoad, EveryEntryOnceInStoreOrderWhateverTheBatch) {
    addRange(0, 30);
    ASSERT_TRUE(store->add(people()[4].der(), {}, std::string("again"), "")); // keeps its place
    const auto all = idsOf(0, 30);
    EXPECT_EQ(loaded(), all);
    for (size_t batch : {1u, 7u, 30u, 500u})
        EXPECT_EQ(stepped(batch), all) << batch;

    size_t calls = 0;
    EXPECT_TRUE(store->loadInSteps([&](std::vector<yx::StoreEntry>&) { return ++calls < 2; }, 4));
    EXPECT_EQ(calls, 2u); // a false return stops the reading

    yx::StoreStepLoader stopped(store, {1, true, false}, nullptr);
    stopped.cancel(); // and the destructor joins at once
}

TEST_F(StepLoad, ManyAddsWriteOneOrderLineEach) {
    addRange(0, 30);
    addRange(0, 3); // re-imports add no line
    const Bytes order = readFile(store->dir() + "/order");
    std::string expected;
    for (const auto& id : idsOf(0, 30))
        expected += id + "\n";
    EXPECT_EQ(std::string(order.begin(), order.end()), expected);
}

// What an order file cut short by a crash loads as is DiskCertStoreTest's; here the add itself.
TEST_F(StepLoad, AnAddThatCannotWriteLeavesNothingOfItself) {
    addRange(0, 3);
    const std::string blocked = store->dir() + "/" + idOf(5) + ".der";
    std::filesystem::create_directory(blocked);
    EXPECT_FALSE(store->add(people()[5].der(), {}, std::string("名字"), ""));
    std::filesystem::remove(blocked);
    EXPECT_FALSE(yx::fileExists(store->dir() + "/" + idOf(5) + ".props"));
    EXPECT_EQ(loaded(), idsOf(0, 3));
    addRange(5, 6);
    EXPECT_EQ(loaded(), (std::vector<std::string>{idOf(0), idOf(1), idOf(2), idOf(5)}));
}

TEST_F(StepLoad, AKilledImportLeavesEveryWholeEntryOnceInImportOrder) {
    people(); // made before the fork
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        for (size_t i = 0; i < people().size(); ++i) {
            store->add(people()[i].der(), {}, std::nullopt, "");
            const char c = 1;
            if (i == 4 && ::write(ready[1], &c, 1) != 1)
                ::_exit(1);
        }
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::kill(child, SIGKILL); // somewhere inside a later add, or after the last
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);

    size_t ders = 0;
    for (const auto& e : std::filesystem::directory_iterator(store->dir()))
        ders += e.path().extension() == ".der";
    const auto ids = loaded();
    EXPECT_EQ(ids.size(), ders);
    ASSERT_GE(ids.size(), 5u);
    EXPECT_EQ(ids, idsOf(0, ids.size()));
    addRange(0, people().size()); // the import done again completes the store
    EXPECT_EQ(loaded(), idsOf(0, people().size()));
}
