// yaoxia-tool update-check: the desktop program's update check without windows.
#include "UpdateCheckCommand.h"

#include "Commands.h"
#include "MakerUpdateKey.h"
#include "Settings.h"
#include "UpdateResult.h"
#include "UpdateSignature.h"

#include <cstdio>

namespace yx::tool {

int runUpdateCheck(int argc, char**, const update::PublicKey& key, const update::UpdateOptions& options) {
    if (argc != 1) {
        std::fprintf(stderr, "usage: yaoxia-tool update-check\n");
        return 2;
    }
    update::Common common(key, options);
    const int rc = common.Start(update::kUpdateRegistryKey, update::kMakerUpdateServer, update::kUpdatePath);
    if (rc == update::kUpdateAvailable) {
        std::printf("%s\n", common.offered().version.c_str());
        std::fflush(stdout);
    } else {
        std::fprintf(stderr, "%s\n", common.lastError().c_str());
    }
    return rc;
}

int cmdUpdateCheck(int argc, char** argv) {
    return runUpdateCheck(argc, argv, update::makerPublicKey(), {});
}

} // namespace yx::tool
