// Built without the embedded web engine: the lifecycle page sends the user to the desktop's browser.
#include "pages/ExternalSiteBrowser.h"

namespace yx {

SiteBrowser* createSiteBrowser(QWidget* parent) {
    return new ExternalSiteBrowser(parent);
}

} // namespace yx
