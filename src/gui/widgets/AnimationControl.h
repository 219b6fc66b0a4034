// AnimationControl: plays one of the program's animations (by resource id) in a loop, frame by
// frame on a timer, as an animation control plays a clip. The only clip is the directory search
// (266): a magnifying glass that sweeps over a card index while the look-up runs.
#pragma once

#include <QTimer>
#include <QWidget>

namespace yx {

class AnimationControl : public QWidget {
    Q_OBJECT
public:
    explicit AnimationControl(QWidget* parent = nullptr);

    // Loads a clip; false (and nothing to play) for an unknown id.
    bool open(int clipId);
    // Plays the clip from its first frame, repeated without end. False when no clip is open.
    bool play();
    void stop();

    int frame() const { return m_frame; }
    static constexpr int kFrameCount = 16;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer m_timer;
    int m_clip = 0;
    int m_frame = 0;
};

} // namespace yx
