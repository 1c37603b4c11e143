#include "video_static.h"

namespace movanta::app {
namespace {

bool IsOwnerMessage(UINT message) {
    switch (message) {
        case WM_MOVE:
        case WM_SYSCOLORCHANGE:
        case WM_DEVMODECHANGE:
        case WM_ACTIVATEAPP:
        case WM_DISPLAYCHANGE:
        case WM_QUERYNEWPALETTE:
        case WM_PALETTEISCHANGING:
        case WM_PALETTECHANGED: return true;
        default: return false;
    }
}

}  // namespace

CVideoStatic::CVideoStatic(Forward forward)
    : m_forward(forward ? std::move(forward) : Forward([](TrxMedia media, HWND window, UINT message, WPARAM wParam,
                                                          LPARAM lParam) {
          TrxNotifyOwnerMessage(media, window, message, wParam, lParam);
      })) {}

LRESULT CVideoStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsOwnerMessage(message)) {
        m_forward(m_media, m_hWnd, message, wParam, lParam);
    } else if (message == WM_WINDOWPOSCHANGING && lParam != 0) {
        // A coming move reaches the renderer as a move to the new place.
        const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        const LPARAM place = static_cast<LPARAM>((static_cast<DWORD>(position->y & 0xFFFF) << 16) |
                                                 static_cast<DWORD>(position->x & 0xFFFF));
        m_forward(m_media, m_hWnd, WM_MOVE, wParam, place);
    }
    return CStatic::WindowProc(message, wParam, lParam);
}

}  // namespace movanta::app
