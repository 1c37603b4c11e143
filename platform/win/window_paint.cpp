// Update areas and WM_PAINT, and the per-window state the drawing layer keeps.
#include <atomic>
#include <utility>

#include "win/rect.h"
#include "win/window_surface.h"
#include "win/window_table.h"

namespace movanta::win {
namespace {

std::atomic<const DefaultPainting*> gPainting {nullptr};

RECT ClientOf(const Window& window) {
    return {0, 0, window.rect.right - window.rect.left, window.rect.bottom - window.rect.top};
}

// Runs `change` on the record under the lock; false when there is none.
template <class F>
bool Update(HWND handle, F change) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    Window* window = FindLocked(table, handle);
    if (window == nullptr) return false;
    change(*window);
    return true;
}

}  // namespace

PaintRequest TakeUpdate(HWND handle) {
    PaintRequest request;
    Update(handle, [&](Window& window) {
        request = {window.update, window.erase};
        window.update = {};
        window.erase = false;
    });
    return request;
}

std::shared_ptr<void> WindowSurface(HWND handle) {
    std::shared_ptr<void> surface;
    Update(handle, [&](Window& window) { surface = window.surface; });
    return surface;
}

void SetWindowSurface(HWND handle, std::shared_ptr<void> surface) {
    Update(handle, [&](Window& window) { window.surface = std::move(surface); });
}

Layering LayeringOf(HWND handle) {
    Layering layering;
    Update(handle, [&](Window& window) { layering = {window.alpha, window.perPixelAlpha}; });
    return layering;
}

void SetLayering(HWND handle, Layering layering) {
    if (Update(handle, [&](Window& window) {
            window.alpha = layering.alpha;
            window.perPixelAlpha = layering.perPixel;
        })) {
        NotifyBackend(handle, WindowBackend::kOpacity);
    }
}

void SetWindowShape(HWND handle, std::vector<RECT> rects, bool shaped) {
    if (Update(handle, [&](Window& window) {
            window.shape = std::move(rects);
            window.shaped = shaped;
        })) {
        NotifyBackend(handle, WindowBackend::kShape);
    }
}

bool WindowShape(HWND handle, std::vector<RECT>& rects) {
    bool shaped = false;
    Update(handle, [&](Window& window) {
        rects = window.shape;
        shaped = window.shaped;
    });
    return shaped;
}

void SetDefaultPainting(DefaultPainting painting) {
    static DefaultPainting installed;
    installed = painting;
    gPainting.store(&installed);
}

const DefaultPainting* GetDefaultPainting() {
    return gPainting.load();
}

}  // namespace movanta::win

using namespace movanta::win;

BOOL InvalidateRect(HWND handle, const RECT* rect, BOOL erase) {
    const bool found = Update(handle, [&](Window& window) {
        const RECT client = ClientOf(window);
        RECT area = client;
        if (rect != nullptr) IntersectRect(&area, rect, &client);
        UnionRect(&window.update, &window.update, &area);
        window.erase = window.erase || erase != FALSE;
    });
    if (!found) return FALSE;
    WakeOwner(handle);
    return TRUE;
}

BOOL ValidateRect(HWND handle, const RECT* rect) {
    return Update(handle,
                  [&](Window& window) {
                      if (rect == nullptr) {
                          window.update = {};
                          window.erase = false;
                          return;
                      }
                      // The update area is one box: it shrinks only when a side is covered whole.
                      RECT& update = window.update;
                      if (rect->left <= update.left && rect->right >= update.right) {
                          if (rect->top <= update.top && rect->bottom > update.top) update.top = rect->bottom;
                          if (rect->bottom >= update.bottom && rect->top < update.bottom) update.bottom = rect->top;
                      }
                      if (rect->top <= update.top && rect->bottom >= update.bottom) {
                          if (rect->left <= update.left && rect->right > update.left) update.left = rect->right;
                          if (rect->right >= update.right && rect->left < update.right) update.right = rect->left;
                      }
                      if (IsRectEmpty(&update)) update = {};
                  })
               ? TRUE
               : FALSE;
}

BOOL GetUpdateRect(HWND handle, RECT* rect, BOOL) {
    RECT area {};
    if (!Update(handle, [&](Window& window) { area = window.update; })) return FALSE;
    if (rect != nullptr) *rect = area;
    return IsRectEmpty(&area) ? FALSE : TRUE;
}

BOOL UpdateWindow(HWND handle) {
    if (!IsWindow(handle)) return FALSE;
    RECT area {};
    if (IsWindowVisible(handle) && GetUpdateRect(handle, &area, FALSE)) Send(handle, WM_PAINT);
    return TRUE;
}

BOOL RedrawWindow(HWND handle, const RECT* rect, void*, UINT flags) {
    if ((flags & RDW_INVALIDATE) != 0 && !InvalidateRect(handle, rect, (flags & RDW_ERASE) != 0)) return FALSE;
    if ((flags & RDW_ALLCHILDREN) != 0 && (flags & RDW_INVALIDATE) != 0) {
        for (HWND child : Snapshot(handle).children) RedrawWindow(child, nullptr, nullptr, flags);
    }
    if ((flags & RDW_UPDATENOW) != 0) UpdateWindow(handle);
    return TRUE;
}
