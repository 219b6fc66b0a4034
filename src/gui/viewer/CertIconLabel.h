// A fixed-size widget that paints an icon straight from its vector source, so it is sharp on any
// screen scale.
#pragma once

#include <QIcon>
#include <QWidget>

namespace yx::viewer {

class CertIconLabel : public QWidget {
    Q_OBJECT
public:
    CertIconLabel(const QIcon& icon, int logicalSize, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QIcon m_icon;
    int m_size;
};

} // namespace yx::viewer
