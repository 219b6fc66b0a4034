// Ids of the publish and withdraw dialog (certificates into the NSS databases of browsers and
// mail programs).
#pragma once

namespace yx::res {
inline constexpr int IDD_PUBLISH_CERT = 330;
inline constexpr int IDC_PUBLISH_DATABASES = 1330;   // one check box per database, with its state
inline constexpr int IDC_PUBLISH_TRUST_WEB = 1331;   // CA: trusted to identify web sites
inline constexpr int IDC_PUBLISH_TRUST_EMAIL = 1332; // CA: trusted to identify e-mail users
inline constexpr int IDC_PUBLISH_NOTE = 1333;        // what the dialog does, with the certificate's name
} // namespace yx::res
