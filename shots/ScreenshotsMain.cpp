// Renders every registered area offscreen into PNG files: yaoxia-screenshots OUTDIR [AREA...].
#include "Shots.h"

#include "GuiTestEnv.h"
#include "People.h"
#include "RecordingPrompt.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <map>
#include <string>

namespace yxshots {
namespace {

std::map<std::string, Area>& areas() {
    static std::map<std::string, Area> all;
    return all;
}

// Sample data every picture may show: the user's certificates and other people's.
void fillStores() {
    yxtest::People people;
    people.caIntoStore();
    yxtest::addToStore("my", people.person("张伟", "zhangwei@example.cn", 1), std::string("工作证书"));
    yxtest::addToStore("my", people.person("张伟（加密）", "zhangwei@example.cn", 2));
    int key = 3;
    for (const char* cn : {"李娜", "王芳", "Alice Chen"})
        yxtest::addToStore("other", people.person(cn, "", key++));
}

} // namespace

bool addArea(const char* name, Area area) {
    areas()[name] = std::move(area);
    return true;
}

void Shots::save(QWidget* widget, const QString& name) {
    if (!widget->isVisible())
        widget->show();
    if (!QTest::qWaitForWindowExposed(widget))
        qWarning("%s: the window did not show", qPrintable(name));
    QTest::qWait(30);
    const QString path = QDir(m_dir).filePath(name + QStringLiteral(".png"));
    if (widget->grab().save(path)) {
        ++m_written;
        std::printf("%s\n", qPrintable(path));
    } else {
        ++m_failed;
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    }
}

} // namespace yxshots

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTDIR [AREA...]\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    yxshots::Shots shots(dir);
    for (const auto& [name, area] : yxshots::areas()) {
        bool wanted = argc == 2;
        for (int i = 2; i < argc; ++i)
            wanted = wanted || name == argv[i];
        if (!wanted)
            continue;
        yxtest::ScopedGuiEnv env; // every area starts from the same sample data
        yxtest::RecordingPrompt prompt;
        yxshots::fillStores();
        area(shots);
    }
    std::printf("%d pictures in %s\n", shots.written(), qPrintable(dir));
    return shots.failed() == 0 && shots.written() > 0 ? 0 : 1;
}
