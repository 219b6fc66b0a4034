#include "FileBatch.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

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

} // namespace yx::kvx
