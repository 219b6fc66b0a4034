// The secure e-mail page: e-mail accounts and address books with their certificates.
#pragma once

#include "Page.h"

namespace yx {

class SecureMailPage : public Page {
    Q_OBJECT
public:
    explicit SecureMailPage(QWidget* parent = nullptr);

protected:
    QMenu* createOperationsMenu() override;
    QMenu* createViewMenu() override;
};

} // namespace yx
