#include "CrlDistributionPoints.h"

#include "OpenSslHolders.h"

#include <algorithm>
#include <cctype>

namespace yx {

bool isFetchableCrlUrl(const std::string& url) {
    auto startsWithNoCase = [&](const char* prefix) {
        size_t i = 0;
        for (; prefix[i]; ++i)
            if (i >= url.size() || std::tolower(static_cast<unsigned char>(url[i])) != prefix[i])
                return false;
        return url.size() > i; // a bare scheme names no server
    };
    return startsWithNoCase("http://") || startsWithNoCase("https://");
}

std::vector<std::string> crlDistributionUrls(X509* cert) {
    std::vector<std::string> urls;
    if (!cert)
        return urls;
    int crit = 0;
    DistPointsPtr dps(
        static_cast<CRL_DIST_POINTS*>(X509_get_ext_d2i(cert, NID_crl_distribution_points, &crit, nullptr)));
    if (!dps)
        return urls;
    for (int i = 0; i < sk_DIST_POINT_num(dps.get()); ++i) {
        const DIST_POINT* dp = sk_DIST_POINT_value(dps.get(), i);
        // Only full names carry a URL; a name relative to the issuer does not.
        if (!dp || !dp->distpoint || dp->distpoint->type != 0)
            continue;
        const GENERAL_NAMES* names = dp->distpoint->name.fullname;
        for (int j = 0; j < sk_GENERAL_NAME_num(names); ++j) {
            const GENERAL_NAME* gn = sk_GENERAL_NAME_value(names, j);
            if (!gn || gn->type != GEN_URI)
                continue;
            const ASN1_IA5STRING* uri = gn->d.uniformResourceIdentifier;
            std::string url(reinterpret_cast<const char*>(ASN1_STRING_get0_data(uri)),
                            static_cast<size_t>(ASN1_STRING_length(uri)));
            // An embedded NUL or control character would make curl see another URL than we logged.
            if (std::any_of(url.begin(), url.end(),
                            [](char c) { return static_cast<unsigned char>(c) < 0x21; }))
                continue;
            if (isFetchableCrlUrl(url) && std::find(urls.begin(), urls.end(), url) == urls.end())
                urls.push_back(std::move(url));
        }
    }
    return urls;
}

} // namespace yx
