// The three certificate pages with certificates of every revocation status (a CA, its CRL and a
// forged one on a loopback server, an address that refuses connections), in two views.
#include "Shots.h"

#include "../tests/gui/pages/CertPageFixture.h"
#include "pages/CaCertPage.h"
#include "pages/OtherPeopleCertPage.h"
#include "pages/PersonalCertPage.h"

using namespace certpagetest;

YX_SHOTS(certpages) {
    shortRevocationTimeouts();
    Pki people;
    people.caIntoStore();
    const std::pair<const char*, Kind> status[] = {{"张伟", Kind::Good},
                                                   {"李娜", Kind::Revoked},
                                                   {"王芳", Kind::Unknown},
                                                   {"刘洋", Kind::Error},
                                                   {"陈静", Kind::NoCrl}};
    for (const auto& [cn, kind] : status) {
        const Issued cert = people.make(cn, kind, "user@example.cn");
        addPersonal(cert);
        addOther(cert);
    }
    people.publish();
    setOnlineChecks(true);
    TestMenuBar bar;
    yx::PersonalCertPage personal;
    yx::OtherPeopleCertPage other;
    yx::CaCertPage ca;
    const std::pair<yx::CertListPage*, QString> pages[] = {{&personal, QStringLiteral("personal")},
                                                           {&other, QStringLiteral("other-people")},
                                                           {&ca, QStringLiteral("ca")}};
    for (const auto& [page, name] : pages) {
        page->setMenuBarHost(&bar);
        page->resize(820, 300);
        page->show();
        page->activate();
        page->waitUntilLoaded();
        page->onCommand(yx::res::ID_VIEW_DETAILS);
        shots.save(page, QStringLiteral("certpage-%1-details").arg(name));
        page->onCommand(yx::res::ID_VIEW_LARGE_ICONS);
        shots.save(page, QStringLiteral("certpage-%1-icons").arg(name));
        page->hide();
    }
}
