// While the program waits for something outside it (the certificate viewer), its windows take
// no input, as under a modal dialog, but they keep painting, and the tray icon and its menu keep
// working. Installed for its lifetime.
#pragma once

#include <QObject>

namespace yx {

class InputBlocker : public QObject {
    Q_OBJECT
public:
    InputBlocker();
    ~InputBlocker() override;
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

    // Whether an event of this type to this receiver is held back.
    static bool blocks(QObject* receiver, int eventType);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace yx
