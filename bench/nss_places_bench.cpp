// What the certificate pages' "已发布到" tooltip costs: the publication ledger with 500 entries
// over three Thunderbird profiles, asked for a published and an unpublished certificate, printed
// beside opening one profile's NSS database read-only and looking the certificate up there (what
// every row would cost if the pages asked the databases instead), in the same run.
#include "NssUserDb.h"
#include "PublishLedger.h"
#include "PublishedPlaces.h"
#include "TestPki.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

template <class F> double medianMs(int runs, F&& f) {
    std::vector<double> v;
    for (int i = 0; i < runs; ++i) {
        const auto t = Clock::now();
        f();
        v.push_back(msSince(t));
    }
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main() {
    yxtest::TempDir home;
    std::string ini;
    std::vector<std::string> dirs;
    for (int p = 0; p < 3; ++p) {
        const std::string name = "p" + std::to_string(p);
        dirs.push_back(home.path() + "/.thunderbird/" + name);
        std::filesystem::create_directories(dirs.back());
        ini += "[Profile" + std::to_string(p) + "]\nName=" + name + "\nIsRelative=1\nPath=" + name + "\n";
    }
    yxtest::writeFile(home.path() + "/.thunderbird", "profiles.ini", ini);
    if (yxtest::runCommand({"certutil", "-N", "-d", "sql:" + dirs[0], "--empty-password"}) != 0) {
        std::fprintf(stderr, "certutil failed\n");
        return 1;
    }
    yx::nss::PublishLedger ledger(home.path() + "/published");
    char id[41];
    for (int i = 0; i < 500; ++i) {
        std::snprintf(id, sizeof id, "%040d", i);
        ledger.add({dirs[static_cast<size_t>(i % 3)], id, i % 2 == 0});
    }
    std::snprintf(id, sizeof id, "%040d", 7);
    const std::string published = id;
    size_t n = 0;
    const double hit =
        medianMs(200, [&] { n += yx::nss::publishedPlaces(published, ledger, home.path()).size(); });
    const double miss =
        medianMs(200, [&] { n += yx::nss::publishedPlaces("none", ledger, home.path()).size(); });
    const yx::nss::Bytes der(400, 0x30);
    const double open = medianMs(20, [&] {
        yx::nss::UserDb db;
        std::string error;
        if (db.open(dirs[0], true, error) == 0)
            n += db.hasCert(der);
    });
    std::printf("ledger of 500, certificate published: %.3f ms per tooltip\n", hit);
    std::printf("ledger of 500, certificate not published: %.3f ms per tooltip\n", miss);
    std::printf("reference: open one NSS database read-only and look up: %.3f ms (x3 profiles per row)\n",
                open);
    return n == 0; // keeps the work from being optimised away
}
