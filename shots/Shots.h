// Pictures of the program for the README, the help and reviews, written by the yaoxia-screenshots
// program (scripts/screenshots.sh). Each area of the program adds its pictures in a file of its
// own here with YX_SHOTS(name) { ... shots.save(widget, "file-name"); ... }.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace yxshots {

class Shots {
public:
    explicit Shots(QString dir) : m_dir(std::move(dir)) {}
    // Shows the widget if needed, lets it paint, and writes <dir>/<name>.png.
    void save(QWidget* widget, const QString& name);
    int written() const { return m_written; }
    int failed() const { return m_failed; }

private:
    QString m_dir;
    int m_written = 0;
    int m_failed = 0;
};

// Runs before every area: a data root of its own with sample certificates in the stores.
using Area = std::function<void(Shots&)>;
bool addArea(const char* name, Area area);

} // namespace yxshots

#define YX_SHOTS_CAT2(a, b) a##b
#define YX_SHOTS_CAT(a, b) YX_SHOTS_CAT2(a, b)
#define YX_SHOTS(name)                                                                                       \
    static void YX_SHOTS_CAT(shots_, name)(yxshots::Shots & shots);                                          \
    [[maybe_unused]] static const bool YX_SHOTS_CAT(registered_, name) =                                     \
        yxshots::addArea(#name, YX_SHOTS_CAT(shots_, name));                                                 \
    static void YX_SHOTS_CAT(shots_, name)(yxshots::Shots & shots)
