#include "PageFactory.h"

#include "CaCertPage.h"
#include "FileEncPage.h"
#include "LifecyclePage.h"
#include "OtherPeopleCertPage.h"
#include "PersonalCertPage.h"
#include "mail/SecureMailPage.h"

namespace yx {

Page* createPage(int pageIndex, QWidget* parent) {
    switch (pageIndex) {
    case kPageLifecycle:
        return new LifecyclePage(parent);
    case kPagePersonal:
        return new PersonalCertPage(parent);
    case kPageOtherPeople:
        return new OtherPeopleCertPage(parent);
    case kPageCa:
        return new CaCertPage(parent);
    case kPageSecureMail:
        return new SecureMailPage(parent);
    case kPageFileEnc:
        return new FileEncPage(parent);
    default:
        return nullptr;
    }
}

} // namespace yx
