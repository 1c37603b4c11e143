#include "screen_support.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace movanta::testing {

void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        } else {
            Sleep(5);
        }
    }
}

QImage SaveScreenshot(const char* name) {
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const char* folder = std::getenv("MOVANTA_SCREENSHOT_DIR");
    const std::filesystem::path shot =
        std::filesystem::path(folder != nullptr ? folder : std::filesystem::temp_directory_path().string()) / name;
    screen.save(QString::fromStdString(shot.string()));
    std::printf("screenshot: %s\n", shot.c_str());
    return screen;
}

}  // namespace movanta::testing
