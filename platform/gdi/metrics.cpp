#include "gdi/metrics.h"

#include <QGuiApplication>
#include <QScreen>
#include <cwchar>

#include "gdi/qt_text.h"

namespace {

constexpr int kFrame = 4;  // the sizing border of a resizable window

QRect Screen(bool available) {
    movanta::gdi::EnsureGui();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return QRect(0, 0, 1024, 768);
    return available ? screen->availableGeometry() : screen->geometry();
}

}  // namespace

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXSCREEN: return Screen(false).width();
        case SM_CYSCREEN: return Screen(false).height();
        case SM_CXFRAME:
        case SM_CYFRAME: return kFrame;
        default: return 0;
    }
}

BOOL SystemParametersInfoW(UINT action, UINT, void* out, UINT) {
    if (out == nullptr) return FALSE;
    if (action == SPI_GETWORKAREA) {
        const QRect area = Screen(true);
        *static_cast<RECT*>(out) = {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
        return TRUE;
    }
    if (action == SPI_GETICONTITLELOGFONT) {
        LOGFONTW font {};
        const QFont standard = movanta::gdi::DefaultFont();
        font.lfHeight = -standard.pixelSize();
        font.lfWeight = FW_NORMAL;
        const std::u32string face = standard.family().toStdU32String();
        for (size_t i = 0; i < face.size() && i + 1 < LF_FACESIZE; ++i)
            font.lfFaceName[i] = static_cast<WCHAR>(face[i]);
        *static_cast<LOGFONTW*>(out) = font;
        return TRUE;
    }
    return FALSE;
}
