// The window table of the headless back end.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "win/message_queue.h"
#include "win/text.h"
#include "win/thread.h"

namespace movanta::win {
namespace {

struct WindowClass {
    std::wstring name;
    WNDPROC procedure;
    HINSTANCE instance;
};

struct Window {
    std::wstring className;
    std::wstring title;
    WNDPROC procedure;
    LONG_PTR userData = 0;
    LONG_PTR id = 0;
    HWND parent = nullptr;
    HINSTANCE instance = nullptr;
    int width = 0;
    int height = 0;
    std::shared_ptr<MessageQueue> queue;
};

struct WindowTable {
    std::mutex lock;
    std::vector<WindowClass> classes;
    std::map<HWND, Window> windows;
    ULONG_PTR next = 0x10000;
};

WindowTable& Windows() {
    static WindowTable table;
    return table;
}

const WindowClass* FindClassLocked(const WindowTable& table, LPCWSTR name) {
    for (const WindowClass& c : table.classes) {
        if (EqualsNoCase(c.name, name)) return &c;
    }
    return nullptr;
}

}  // namespace

LRESULT CallWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC procedure = nullptr;
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        auto it = table.windows.find(window);
        if (it == table.windows.end()) return 0;
        procedure = it->second.procedure;
    }
    return procedure == nullptr ? 0 : procedure(window, message, wParam, lParam);
}

std::shared_ptr<MessageQueue> QueueOfWindow(HWND window) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    auto it = table.windows.find(window);
    return it == table.windows.end() ? nullptr : it->second.queue;
}

void ForgetWindowsOfThread(DWORD threadId) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    std::erase_if(table.windows, [&](const auto& entry) { return entry.second.queue->ThreadId() == threadId; });
}

}  // namespace movanta::win

using namespace movanta;
using namespace movanta::win;

ATOM RegisterClassW(const WNDCLASSW* windowClass) {
    if (windowClass == nullptr || windowClass->lpszClassName == nullptr || *windowClass->lpszClassName == L'\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    if (FindClassLocked(table, windowClass->lpszClassName) != nullptr) {
        SetLastError(1410);  // ERROR_CLASS_ALREADY_EXISTS
        return 0;
    }
    table.classes.push_back({windowClass->lpszClassName, windowClass->lpfnWndProc, windowClass->hInstance});
    return static_cast<ATOM>(0xC000 + table.classes.size());
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    const auto removed =
        std::erase_if(table.classes, [&](const WindowClass& c) { return EqualsNoCase(c.name, className); });
    return removed > 0 ? TRUE : FALSE;
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
            SetLastError(1407);  // ERROR_CANNOT_FIND_WND_CLASS
            return nullptr;
        }
        if (parent != nullptr && parent != HWND_MESSAGE && table.windows.count(parent) == 0) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        window.className = windowClass->name;
        window.title = windowName == nullptr ? L"" : windowName;
        window.procedure = windowClass->procedure;
        window.parent = parent;
        window.instance = instance;
        window.id = reinterpret_cast<LONG_PTR>(menu);
        window.width = width < 0 ? 0 : width;
        window.height = height < 0 ? 0 : height;
        window.queue = CurrentQueue();
        handle = reinterpret_cast<HWND>(table.next);
        table.next += 4;
        table.windows.emplace(handle, window);
    }
    CREATESTRUCTW create {parameter,  instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
                          windowName, className, exStyle};
    const LPARAM createParam = reinterpret_cast<LPARAM>(&create);
    // Procedures pass WM_NCCREATE on to DefWindowProcW, which accepts it.
    if (CallWindowProcedure(handle, WM_NCCREATE, 0, createParam) == 0 ||
        CallWindowProcedure(handle, WM_CREATE, 0, createParam) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    return handle;
}

BOOL DestroyWindow(HWND handle) {
    std::shared_ptr<MessageQueue> queue = QueueOfWindow(handle);
    if (!queue) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (queue->ThreadId() != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    CallWindowProcedure(handle, WM_DESTROY, 0, 0);
    CallWindowProcedure(handle, WM_NCDESTROY, 0, 0);
    queue->KillTimersOf(handle);
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    table.windows.erase(handle);
    return TRUE;
}

BOOL IsWindow(HWND handle) {
    return QueueOfWindow(handle) ? TRUE : FALSE;
}

HWND GetParent(HWND handle) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    auto it = table.windows.find(handle);
    return it == table.windows.end() || it->second.parent == HWND_MESSAGE ? nullptr : it->second.parent;
}

BOOL GetClientRect(HWND handle, RECT* rect) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    auto it = table.windows.find(handle);
    if (it == table.windows.end() || rect == nullptr) return FALSE;
    *rect = {0, 0, it->second.width, it->second.height};
    return TRUE;
}

DWORD GetWindowThreadProcessId(HWND handle, LPDWORD processId) {
    std::shared_ptr<MessageQueue> queue = QueueOfWindow(handle);
    if (!queue) return 0;
    if (processId != nullptr) *processId = GetCurrentProcessId();
    return queue->ThreadId();
}

LRESULT DefWindowProcW(HWND handle, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) DestroyWindow(handle);
    return message == WM_NCCREATE ? TRUE : 0;
}

LRESULT CallWindowProcW(WNDPROC procedure, HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    return procedure == nullptr ? 0 : procedure(handle, message, wParam, lParam);
}

LONG_PTR GetWindowLongPtrW(HWND handle, int index) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    auto it = table.windows.find(handle);
    if (it == table.windows.end()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const Window& window = it->second;
    switch (index) {
        case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(window.procedure);
        case GWLP_USERDATA: return window.userData;
        case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(window.instance);
        case GWLP_ID: return window.id;
        default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
    }
}

LONG_PTR SetWindowLongPtrW(HWND handle, int index, LONG_PTR value) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    auto it = table.windows.find(handle);
    if (it == table.windows.end()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    Window& window = it->second;
    LONG_PTR previous = 0;
    switch (index) {
        case GWLP_WNDPROC:
            previous = reinterpret_cast<LONG_PTR>(window.procedure);
            window.procedure = reinterpret_cast<WNDPROC>(value);
            break;
        case GWLP_USERDATA: previous = std::exchange(window.userData, value); break;
        case GWLP_ID: previous = std::exchange(window.id, value); break;
        default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
    }
    return previous;
}

namespace movanta::win {
namespace {

int CopyWindowText(HWND handle, std::wstring Window::*text, LPWSTR buffer, int capacity) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    auto it = table.windows.find(handle);
    if (it == table.windows.end() || capacity <= 0) return 0;
    return static_cast<int>(CopyToBuffer(it->second.*text, buffer, static_cast<size_t>(capacity)));
}

}  // namespace
}  // namespace movanta::win

int GetClassNameW(HWND handle, LPWSTR buffer, int capacity) {
    return CopyWindowText(handle, &Window::className, buffer, capacity);
}

int GetWindowTextW(HWND handle, LPWSTR buffer, int capacity) {
    return CopyWindowText(handle, &Window::title, buffer, capacity);
}

BOOL SetWindowTextW(HWND handle, LPCWSTR text) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    auto it = table.windows.find(handle);
    if (it == table.windows.end()) return FALSE;
    it->second.title = text == nullptr ? L"" : text;
    return TRUE;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    for (const auto& [handle, window] : table.windows) {
        if (window.parent != nullptr) continue;
        if (className != nullptr && !EqualsNoCase(window.className, className)) continue;
        if (windowName != nullptr && window.title != windowName) continue;
        return handle;
    }
    return nullptr;
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
    const std::wstring wideClass = className == nullptr ? L"" : Utf8ToWide(className);
    const std::wstring wideName = windowName == nullptr ? L"" : Utf8ToWide(windowName);
    return FindWindowW(className == nullptr ? nullptr : wideClass.c_str(),
                       windowName == nullptr ? nullptr : wideName.c_str());
}
