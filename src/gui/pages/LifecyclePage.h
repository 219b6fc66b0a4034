// The certificate lifecycle page: the registration authority's web site. It has no view
// commands, so its "查看(&V)" popup stays empty.
#pragma once

#include "Page.h"

namespace yx {

class LifecyclePage : public Page {
    Q_OBJECT
public:
    explicit LifecyclePage(QWidget* parent = nullptr);

protected:
    QMenu* createOperationsMenu() override;
    void onActivate() override;

private:
    // Whether the site can go back / forward; false until the site says otherwise.
    bool m_canGoBack = false;
    bool m_canGoForward = false;
};

} // namespace yx
