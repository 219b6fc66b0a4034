// The "在线升级" window offering a newer release with its notes, and the same window while the
// download runs (a loopback server holds the file back; the bar is set for the picture).
#include "Shots.h"

#include "UpdateServerKit.h"
#include "update/UpdateWindow.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTest>

YX_SHOTS(update) {
    yxtest::UpdateServer server;
    server.http.setMode(yxtest::UpdateServer::kRelease, yxtest::HttpTestServer::Mode::Silent);
    yx::update::UpdateManifest manifest;
    manifest.version = "9.0.0";
    manifest.url = server.http.url(yxtest::UpdateServer::kRelease);
    manifest.size = 300000;
    manifest.sha256 = std::string(64, '0');
    manifest.notes = "证书列表加载更快；文件加密支持更大的文件。\n修复了托盘菜单在某些桌面上不显示的问题。";
    yx::UpdateWindow window(manifest, "1.0.0", qgetenv("YAOXIA_HOME").toStdString() + "/Downloads", 1500);
    shots.save(&window, QStringLiteral("update-window"));
    QTest::mouseClick(window.findChild<QPushButton*>("download"), Qt::LeftButton);
    window.findChild<QProgressBar*>("progress")->setValue(42);
    shots.save(&window, QStringLiteral("update-window-downloading"));
}
