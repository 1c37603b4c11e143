// Parents, owners, children, identifiers and the texts of windows.
#include <algorithm>
#include "win/text.h"
#include "win/window_rendezvous.h"
#include "win/window_table.h"

namespace movanta::win {

void SetTitle(HWND handle, std::wstring_view text) {
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        Window* window = FindLocked(table, handle);
        if (window == nullptr) return;
        window->title = text;
    }
    NotifyBackend(handle, WindowBackend::kTitle);
}

LRESULT CopyTitle(HWND handle, LPWSTR buffer, size_t capacity) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    const Window* window = FindLocked(table, handle);
    if (window == nullptr) return 0;
    if (buffer == nullptr) return static_cast<LRESULT>(window->title.size());
    return static_cast<LRESULT>(capacity == 0 ? 0 : CopyToBuffer(window->title, buffer, capacity));
}

HWND FindLocalWindow(LPCWSTR className, LPCWSTR windowName) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    for (HWND handle : table.topLevel) {
        const Window& window = table.windows.at(handle);
        if (className != nullptr && !EqualsNoCase(window.windowClass.name, className)) continue;
        if (windowName != nullptr && window.title != windowName) continue;
        return handle;
    }
    return nullptr;
}

}  // namespace movanta::win

using namespace movanta::win;

HWND GetParent(HWND handle) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    const Window* window = FindLocked(table, handle);
    if (window == nullptr) return nullptr;
    return (window->style & WS_CHILD) != 0 ? window->parent : window->owner;
}

BOOL IsChild(HWND parent, HWND handle) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    for (const Window* window = FindLocked(table, handle); window != nullptr && window->parent != nullptr;
         window = FindLocked(table, window->parent)) {
        if (window->parent == parent) return TRUE;
    }
    return FALSE;
}

HWND GetAncestor(HWND handle, UINT flags) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    const Window* window = FindLocked(table, handle);
    if (window == nullptr) return nullptr;
    if (flags == GA_PARENT) return window->parent;
    return RootLocked(table, handle);
}

HWND GetWindow(HWND handle, UINT relation) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    const Window* window = FindLocked(table, handle);
    if (window == nullptr) return nullptr;
    if (relation == GW_OWNER) return window->owner;
    if (relation == GW_CHILD) return window->children.empty() ? nullptr : window->children.front();
    const Window* parent = FindLocked(table, window->parent);
    const std::vector<HWND>& siblings = parent != nullptr ? parent->children : table.topLevel;
    if (siblings.empty()) return nullptr;
    const auto it = std::find(siblings.begin(), siblings.end(), handle);
    switch (relation) {
        case GW_HWNDFIRST: return siblings.front();
        case GW_HWNDLAST: return siblings.back();
        case GW_HWNDNEXT: return it == siblings.end() || it + 1 == siblings.end() ? nullptr : *(it + 1);
        case GW_HWNDPREV: return it == siblings.end() || it == siblings.begin() ? nullptr : *(it - 1);
        default: return nullptr;
    }
}

HWND GetDlgItem(HWND dialog, int id) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    const Window* window = FindLocked(table, dialog);
    if (window == nullptr) return nullptr;
    for (HWND child : window->children) {
        if (table.windows.at(child).id == id) return child;
    }
    return nullptr;
}

int GetDlgCtrlID(HWND handle) {
    return static_cast<int>(GetWindowLongPtrW(handle, GWLP_ID));
}

int GetClassNameW(HWND handle, LPWSTR buffer, int capacity) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    const Window* window = FindLocked(table, handle);
    if (window == nullptr || buffer == nullptr || capacity <= 0) return 0;
    return static_cast<int>(movanta::CopyToBuffer(window->windowClass.name, buffer, static_cast<size_t>(capacity)));
}

int GetWindowTextW(HWND handle, LPWSTR buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0) return 0;
    buffer[0] = L'\0';
    return static_cast<int>(
        SendMessageW(handle, WM_GETTEXT, static_cast<WPARAM>(capacity), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND handle) {
    return static_cast<int>(SendMessageW(handle, WM_GETTEXTLENGTH, 0, 0));
}

BOOL SetWindowTextW(HWND handle, LPCWSTR text) {
    if (!IsWindow(handle)) return FALSE;
    return SendMessageW(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text == nullptr ? L"" : text)) != 0 ? TRUE
                                                                                                            : FALSE;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
    HWND local = FindLocalWindow(className, windowName);
    return local != nullptr ? local : FindRemoteWindow(className, windowName);
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
    const std::wstring wideClass = className == nullptr ? L"" : movanta::Utf8ToWide(className);
    const std::wstring wideName = windowName == nullptr ? L"" : movanta::Utf8ToWide(windowName);
    return FindWindowW(className == nullptr ? nullptr : wideClass.c_str(),
                       windowName == nullptr ? nullptr : wideName.c_str());
}
