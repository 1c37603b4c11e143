// Window classes, creation and destruction, and the values kept per window.
#include <algorithm>
#include <utility>

#include "win/rect.h"
#include "win/text.h"
#include "win/thread.h"
#include "win/window_rendezvous.h"
#include "win/window_table.h"

namespace movanta::win {
namespace {

constexpr LONG kErrorClassExists = 1410;
constexpr LONG kErrorNoClass = 1407;
constexpr LONG kErrorChildWithoutParent = 1406;
constexpr int kDefaultX = 100;
constexpr int kDefaultY = 100;
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

const WindowClass* FindClassLocked(const WindowTable& table, LPCWSTR name) {
    for (const WindowClass& c : table.classes) {
        if (EqualsNoCase(c.name, name)) return &c;
    }
    return nullptr;
}

ATOM AddClass(WindowClass windowClass) {
    if (windowClass.name.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    if (FindClassLocked(table, windowClass.name.c_str()) != nullptr) {
        SetLastError(kErrorClassExists);
        return 0;
    }
    windowClass.windowExtra = std::clamp(windowClass.windowExtra, 0, 1024);
    table.classes.push_back(std::move(windowClass));
    return static_cast<ATOM>(0xC000 + table.classes.size());
}

std::vector<HWND>& SiblingsLocked(WindowTable& table, const Window& window) {
    Window* parent = FindLocked(table, window.parent);
    return parent != nullptr ? parent->children : table.topLevel;
}

// Takes a window out of the table; its queue's timers go with it.
void Forget(HWND handle) {
    std::shared_ptr<MessageQueue> queue;
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        Window* record = FindLocked(table, handle);
        if (record == nullptr) return;
        std::erase(SiblingsLocked(table, *record), handle);
        for (HWND* state : {&table.active, &table.focus, &table.capture, &table.tracked, &table.hovered}) {
            if (*state == handle) *state = nullptr;
        }
        queue = record->queue;
        table.windows.erase(handle);
    }
    queue->KillTimersOf(handle);
}

void SendDestroy(HWND handle) {
    Send(handle, WM_DESTROY);
    for (HWND child : Snapshot(handle).children) SendDestroy(child);
}

void SendNcDestroy(HWND handle) {
    for (HWND child : Snapshot(handle).children) SendNcDestroy(child);
    WindowBackend* backend = BackendOf(handle);
    Send(handle, WM_NCDESTROY);
    if (backend != nullptr) backend->Destroyed(handle);
    Forget(handle);
}

void NotifyParent(const Window& window, UINT event) {
    if (window.parent == nullptr || (window.exStyle & WS_EX_NOPARENTNOTIFY) != 0) return;
    Send(window.parent, WM_PARENTNOTIFY, MAKEWPARAM(static_cast<int>(event), static_cast<int>(window.id)),
         reinterpret_cast<LPARAM>(window.handle));
}

// Lets the procedure adjust the sizes of a new top-level window.
void ApplyMinMaxInfo(HWND handle) {
    const Window window = Snapshot(handle);
    MINMAXINFO info {};
    info.ptMaxSize = {32767, 32767};
    info.ptMaxTrackSize = {32767, 32767};
    Send(handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    const LONG width = std::clamp(window.rect.right - window.rect.left, info.ptMinTrackSize.x,
                                  std::max(info.ptMinTrackSize.x, info.ptMaxTrackSize.x));
    const LONG height = std::clamp(window.rect.bottom - window.rect.top, info.ptMinTrackSize.y,
                                   std::max(info.ptMinTrackSize.y, info.ptMaxTrackSize.y));
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    if (Window* record = FindLocked(table, handle)) {
        record->rect.right = record->rect.left + width;
        record->rect.bottom = record->rect.top + height;
    }
}

}  // namespace

void ForgetWindowsOfThread(DWORD threadId) {
    std::vector<HWND> handles;
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        for (const auto& [handle, window] : table.windows) {
            if (window.queue->ThreadId() == threadId) handles.push_back(handle);
        }
    }
    for (HWND handle : handles) Forget(handle);
}

}  // namespace movanta::win

using namespace movanta;
using namespace movanta::win;

ATOM RegisterClassW(const WNDCLASSW* c) {
    if (c == nullptr || c->lpszClassName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return AddClass(
        {c->lpszClassName, c->style, c->lpfnWndProc, c->hInstance, c->hCursor, c->hbrBackground, c->cbWndExtra});
}

ATOM RegisterClassExW(const WNDCLASSEXW* c) {
    if (c == nullptr || c->lpszClassName == nullptr || c->cbSize != sizeof(WNDCLASSEXW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return AddClass(
        {c->lpszClassName, c->style, c->lpfnWndProc, c->hInstance, c->hCursor, c->hbrBackground, c->cbWndExtra});
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    const auto removed =
        std::erase_if(table.classes, [&](const WindowClass& c) { return EqualsNoCase(c.name, className); });
    return removed > 0 ? TRUE : FALSE;
}

BOOL GetClassInfoW(HINSTANCE, LPCWSTR className, WNDCLASSW* out) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    const WindowClass* found = className == nullptr ? nullptr : FindClassLocked(table, className);
    if (found == nullptr || out == nullptr) {
        SetLastError(kErrorNoClass);
        return FALSE;
    }
    *out = WNDCLASSW {found->style,  found->procedure,  0,       found->windowExtra, found->instance, nullptr,
                      found->cursor, found->background, nullptr, found->name.c_str()};
    return TRUE;
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter) {
    HWND handle = nullptr;
    Window window;
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        const WindowClass* windowClass = className == nullptr ? nullptr : FindClassLocked(table, className);
        if (windowClass == nullptr) {
            SetLastError(kErrorNoClass);
            return nullptr;
        }
        const bool messageOnly = parent == HWND_MESSAGE;
        if (messageOnly) parent = nullptr;
        if (parent != nullptr && FindLocked(table, parent) == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        if ((style & WS_CHILD) != 0 && parent == nullptr) {
            SetLastError(kErrorChildWithoutParent);
            return nullptr;
        }
        window.windowClass = *windowClass;
        window.title = windowName == nullptr ? L"" : windowName;
        window.procedure = windowClass->procedure;
        window.style = style & ~WS_VISIBLE;
        window.exStyle = exStyle;
        window.extra.assign(static_cast<size_t>(windowClass->windowExtra) / sizeof(LONG_PTR) + 1, 0);
        if ((style & WS_CHILD) != 0) {
            window.parent = parent;
            window.id = reinterpret_cast<LONG_PTR>(menu);
        } else {
            window.owner = parent == nullptr ? nullptr : RootLocked(table, parent);
        }
        window.messageOnly = messageOnly;
        window.instance = instance;
        if (x == CW_USEDEFAULT) x = y = (style & WS_CHILD) != 0 ? 0 : kDefaultX;
        if (width == CW_USEDEFAULT) {
            width = kDefaultWidth;
            height = kDefaultHeight;
        }
        window.rect = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
        window.queue = CurrentQueue();
        handle = reinterpret_cast<HWND>(table.next);
        table.next += 4;
        window.handle = handle;
        table.windows.emplace(handle, window);
        std::vector<HWND>& siblings = SiblingsLocked(table, window);
        if (!messageOnly) siblings.insert(siblings.begin(), handle);
    }
    CREATESTRUCTW create {parameter,  instance,  menu,   window.parent, 0, 0, 0, 0, static_cast<LONG>(style),
                          windowName, className, exStyle};
    const auto place = [&create](const RECT& rect) {
        create.x = rect.left;
        create.y = rect.top;
        create.cx = rect.right - rect.left;
        create.cy = rect.bottom - rect.top;
    };
    place(window.rect);
    if (window.parent == nullptr && !window.messageOnly) AnnounceWindows();
    CallCreationHooks(handle, &create);
    if (WindowBackend* backend = BackendOf(handle)) backend->Created(handle);
    if (window.parent == nullptr && !window.messageOnly) ApplyMinMaxInfo(handle);
    const RECT rect = Snapshot(handle).rect;
    place(rect);
    const LPARAM createParam = reinterpret_cast<LPARAM>(&create);
    // Procedures pass WM_NCCREATE on to DefWindowProcW, which accepts it.
    if (Send(handle, WM_NCCREATE, 0, createParam) == 0 || Send(handle, WM_CREATE, 0, createParam) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    if (!IsWindow(handle)) return nullptr;
    Send(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rect.right - rect.left, rect.bottom - rect.top));
    Send(handle, WM_MOVE, 0, MAKELPARAM(rect.left, rect.top));
    NotifyParent(Snapshot(handle), WM_CREATE);
    if ((style & WS_VISIBLE) != 0 && IsWindow(handle)) {
        const int command = (style & WS_MAXIMIZE) != 0   ? SW_SHOWMAXIMIZED
                            : (style & WS_MINIMIZE) != 0 ? SW_SHOWMINIMIZED
                                                         : SW_SHOW;
        ShowWindow(handle, command);
    }
    return handle;
}

BOOL DestroyWindow(HWND handle) {
    std::vector<HWND> owned;
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        Window* record = FindLocked(table, handle);
        if (record == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (record->queue->ThreadId() != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (record->destroying) return TRUE;
        record->destroying = true;
        for (const auto& [other, window] : table.windows) {
            if (window.owner == handle) owned.push_back(other);
        }
    }
    for (HWND window : owned) DestroyWindow(window);
    if (IsWindowVisible(handle)) {
        SetWindowPos(handle, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    PassActivation(handle);
    const HWND held = GetCapture();
    if (held != nullptr && (held == handle || IsChild(handle, held))) ReleaseCapture();
    NotifyParent(Snapshot(handle), WM_DESTROY);
    CallDestructionHooks(handle);
    SendDestroy(handle);
    SendNcDestroy(handle);
    return TRUE;
}

BOOL IsWindow(HWND handle) {
    if (IsRemoteWindow(handle)) return IsRemoteWindowAlive(handle) ? TRUE : FALSE;
    return QueueOfWindow(handle) ? TRUE : FALSE;
}

// A window of another process answers that process's id, also as its thread.
DWORD GetWindowThreadProcessId(HWND handle, LPDWORD processId) {
    if (IsRemoteWindow(handle)) {
        if (processId != nullptr) *processId = RemoteProcessOf(handle);
        return RemoteProcessOf(handle);
    }
    std::shared_ptr<MessageQueue> queue = QueueOfWindow(handle);
    if (!queue) return 0;
    if (processId != nullptr) *processId = GetCurrentProcessId();
    return queue->ThreadId();
}

LRESULT CallWindowProcW(WNDPROC procedure, HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    return procedure == nullptr ? 0 : procedure(handle, message, wParam, lParam);
}

namespace movanta::win {
namespace {

bool ExtraSlot(const Window& window, int index, size_t& slot) {
    if (index < 0 || index % static_cast<int>(sizeof(LONG_PTR)) != 0) return false;
    slot = static_cast<size_t>(index) / sizeof(LONG_PTR);
    return slot < window.extra.size();
}

}  // namespace
}  // namespace movanta::win

LONG_PTR GetWindowLongPtrW(HWND handle, int index) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    const Window* window = FindLocked(table, handle);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    size_t slot = 0;
    switch (index) {
        case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(window->procedure);
        case GWLP_USERDATA: return window->userData;
        case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(window->instance);
        case GWLP_HWNDPARENT:
            return reinterpret_cast<LONG_PTR>(window->parent != nullptr ? window->parent : window->owner);
        case GWLP_ID: return window->id;
        case GWL_STYLE: return static_cast<LONG_PTR>(window->style);
        case GWL_EXSTYLE: return static_cast<LONG_PTR>(window->exStyle);
        default:
            if (ExtraSlot(*window, index, slot)) return window->extra[slot];
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
    }
}

LONG_PTR SetWindowLongPtrW(HWND handle, int index, LONG_PTR value) {
    LONG_PTR previous = 0;
    unsigned changes = 0;
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        Window* window = FindLocked(table, handle);
        if (window == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        size_t slot = 0;
        switch (index) {
            case GWLP_WNDPROC:
                previous = reinterpret_cast<LONG_PTR>(window->procedure);
                window->procedure = reinterpret_cast<WNDPROC>(value);
                break;
            case GWLP_USERDATA: previous = std::exchange(window->userData, value); break;
            case GWLP_ID: previous = std::exchange(window->id, value); break;
            case GWLP_HWNDPARENT:
                previous = reinterpret_cast<LONG_PTR>(window->owner);
                if (window->parent == nullptr) window->owner = reinterpret_cast<HWND>(value);
                changes = WindowBackend::kStyle;
                break;
            case GWL_STYLE: {
                // Visibility changes only through ShowWindow and SetWindowPos.
                const DWORD style = (static_cast<DWORD>(value) & ~WS_VISIBLE) | (window->style & WS_VISIBLE);
                previous = static_cast<LONG_PTR>(std::exchange(window->style, style));
                changes = WindowBackend::kStyle;
                break;
            }
            case GWL_EXSTYLE:
                previous = static_cast<LONG_PTR>(std::exchange(window->exStyle, static_cast<DWORD>(value)));
                changes = WindowBackend::kStyle;
                break;
            default:
                if (!ExtraSlot(*window, index, slot)) {
                    SetLastError(ERROR_INVALID_PARAMETER);
                    return 0;
                }
                previous = std::exchange(window->extra[slot], value);
        }
    }
    if (changes != 0) NotifyBackend(handle, changes);
    return previous;
}

LONG GetWindowLongW(HWND handle, int index) {
    return static_cast<LONG>(GetWindowLongPtrW(handle, index));
}

LONG SetWindowLongW(HWND handle, int index, LONG value) {
    const LONG_PTR wide = index == GWL_STYLE || index == GWL_EXSTYLE ? static_cast<LONG_PTR>(static_cast<DWORD>(value))
                                                                     : static_cast<LONG_PTR>(value);
    return static_cast<LONG>(SetWindowLongPtrW(handle, index, wide));
}
