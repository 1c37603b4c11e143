#include "win/window_table.h"

#include "win/rect.h"
#include "win/thread.h"

namespace movanta::win {

WindowTable& Windows() {
    static WindowTable table;
    return table;
}

Window* FindLocked(WindowTable& table, HWND window) {
    auto it = table.windows.find(window);
    return it == table.windows.end() ? nullptr : &it->second;
}

Window Snapshot(HWND window) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    const Window* found = FindLocked(table, window);
    return found == nullptr ? Window {} : *found;
}

HWND RootLocked(WindowTable& table, HWND window) {
    for (Window* record = FindLocked(table, window); record != nullptr; record = FindLocked(table, record->parent)) {
        if (record->parent == nullptr) return record->handle;
    }
    return nullptr;
}

RECT ScreenClientLocked(WindowTable& table, const Window& window) {
    RECT rect {0, 0, window.rect.right - window.rect.left, window.rect.bottom - window.rect.top};
    for (const Window* record = &window; record != nullptr; record = FindLocked(table, record->parent)) {
        OffsetRect(&rect, record->rect.left, record->rect.top);
    }
    return rect;
}

void SetWindowBackend(WindowBackend* backend) {
    WindowTable& table = Windows();
    {
        std::lock_guard guard(table.lock);
        table.backend = backend;
        table.backendThread = backend == nullptr ? 0 : GetCurrentThreadId();
    }
    CurrentQueue()->SetPump(backend);
}

WindowBackend* BackendOf(HWND window) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    const Window* record = FindLocked(table, window);
    if (record == nullptr || table.backend == nullptr || record->queue->ThreadId() != table.backendThread) {
        return nullptr;
    }
    return table.backend;
}

void NotifyBackend(HWND window, unsigned changes) {
    if (WindowBackend* backend = BackendOf(window)) backend->Changed(window, changes);
}

namespace {

// Parents come before their children, so a parent's background is painted
// before the children over it. A window whose picture comes whole from
// UpdateLayeredWindow is never asked to paint.
HWND DirtyIn(WindowTable& table, const std::vector<HWND>& handles, DWORD threadId, HWND filter) {
    for (HWND handle : handles) {
        const Window* record = FindLocked(table, handle);
        if (record == nullptr || (record->style & WS_VISIBLE) == 0 || record->queue->ThreadId() != threadId) continue;
        if (!IsRectEmpty(&record->update) && !record->perPixelAlpha && (filter == nullptr || filter == handle)) {
            return handle;
        }
        if (HWND child = DirtyIn(table, record->children, threadId, filter)) return child;
    }
    return nullptr;
}

}  // namespace

HWND WindowToPaint(DWORD threadId, HWND filter) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    return DirtyIn(table, table.topLevel, threadId, filter);
}

void WakeOwner(HWND window) {
    if (std::shared_ptr<MessageQueue> queue = QueueOfWindow(window)) queue->Wake();
}

std::shared_ptr<MessageQueue> QueueOfWindow(HWND window) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    const Window* record = FindLocked(table, window);
    return record == nullptr ? nullptr : record->queue;
}

LRESULT CallWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC procedure = nullptr;
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        const Window* record = FindLocked(table, window);
        if (record == nullptr) return 0;
        procedure = record->procedure;
    }
    return procedure == nullptr ? 0 : procedure(window, message, wParam, lParam);
}

}  // namespace movanta::win

void ShowWindowPicture(HWND window, const RECT& area, WindowPicture picture) {
    if (movanta::win::WindowBackend* backend = movanta::win::BackendOf(window)) {
        backend->ShowPicture(window, area, std::move(picture));
    }
}
