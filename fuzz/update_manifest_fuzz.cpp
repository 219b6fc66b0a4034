// Bytes as an update manifest: whatever parses must be complete and within its limits, and a
// manifest written back from the parsed fields must parse to the same fields.
#include "UpdateManifest.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace yx::update;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto m = parseManifest(text);
    if (!m)
        return 0;
    if (m->version.empty() || m->size == 0 || m->sha256.size() != 64 || !isAcceptedUrl(m->url))
        std::abort();
    if (compareVersions(m->version, m->version) != 0)
        std::abort();
    std::string again = "YAOXIA-UPDATE 1\nversion=" + m->version + "\nurl=" + m->url +
                        "\nsize=" + std::to_string(m->size) + "\nsha256=" + m->sha256 + "\n";
    size_t start = 0;
    while (!m->notes.empty() && start <= m->notes.size()) {
        const size_t nl = m->notes.find('\n', start);
        again += "notes=" + m->notes.substr(start, nl == std::string::npos ? std::string::npos : nl - start) +
                 "\n";
        if (nl == std::string::npos)
            break;
        start = nl + 1;
    }
    const auto m2 = parseManifest(again);
    if (again.size() <= kMaxManifestBytes &&
        (!m2 || m2->version != m->version || m2->url != m->url || m2->size != m->size ||
         m2->sha256 != m->sha256 || m2->notes != m->notes))
        std::abort();
    return 0;
}
