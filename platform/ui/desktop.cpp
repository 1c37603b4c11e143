#include "ui/desktop.h"

#include <QApplication>
#include <QScreen>
#include <cstdio>
#include <memory>

#include "gdi/qt_text.h"
#include "ui/control.h"
#include "ui/qt_backend.h"

namespace movanta::ui {
namespace {

std::unique_ptr<QtBackend>& Backend() {
    static std::unique_ptr<QtBackend> backend;
    return backend;
}

void TellDisplayChanged() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    win::DesktopDisplayChanged(screen->depth(), screen->size().width(), screen->size().height());
}

void WatchScreen(QScreen* screen) {
    QObject::connect(screen, &QScreen::geometryChanged, qApp, [] { TellDisplayChanged(); });
}

void MakeWidgetsApplication(int& argc, char** argv) {
    new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
}

// Every Qt application of a process that links this library can show widgets.
const bool kMakerSet = (gdi::SetApplicationMaker(MakeWidgetsApplication), true);

bool MakeApplication() {
    if (QApplication::instance() == nullptr && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "movanta: no display to show windows on (DISPLAY and WAYLAND_DISPLAY are not set)\n");
        return false;
    }
    // Qt ends the process itself when the platform plug-in cannot start.
    gdi::EnsureGui();
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        std::fprintf(stderr, "movanta: the Qt application of this process cannot show widgets\n");
        return false;
    }
    for (QScreen* screen : QGuiApplication::screens()) WatchScreen(screen);
    QObject::connect(qApp, &QGuiApplication::screenAdded, qApp, [](QScreen* screen) {
        WatchScreen(screen);
        TellDisplayChanged();
    });
    QObject::connect(qApp, &QGuiApplication::screenRemoved, qApp, [] { TellDisplayChanged(); });
    return true;
}

}  // namespace

bool StartDesktop() {
    if (Backend()) return true;
    if (!MakeApplication()) return false;
    Backend() = std::make_unique<QtBackend>();
    win::SetWindowBackend(Backend().get());
    return true;
}

void StopDesktop() {
    if (!Backend()) return;
    win::SetWindowBackend(nullptr);
    Backend().reset();
}

bool DesktopRuns() {
    return Backend() != nullptr;
}

QWidget* HostWidget(HWND window) {
    return Backend() ? Backend()->Host(window) : nullptr;
}

bool DesktopComposites() {
    return Backend() && Backend()->Composited();
}

void OnSystemMoveStarted(std::function<void(HWND window, LRESULT edge)> observer) {
    if (Backend()) Backend()->moveObserver = std::move(observer);
}

}  // namespace movanta::ui
