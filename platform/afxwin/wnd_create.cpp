// Creating windows for CWnd objects: the object is attached before the
// window's first message, through a creation hook.
#include "afxwin/wnd.h"
#include "win/thread.h"

namespace {

constexpr LPCWSTR kDefaultClass = L"AfxWnd";

struct Creation {
    CWnd* window = nullptr;
    HHOOK hook = nullptr;
};

Creation& Pending() {
    static thread_local Creation pending;
    return pending;
}

void RegisterDefaultClass() {
    WNDCLASSW windowClass {};
    if (::GetClassInfoW(nullptr, kDefaultClass, &windowClass)) return;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.lpszClassName = kDefaultClass;
    ::RegisterClassW(&windowClass);
}

}  // namespace

struct CWndCreation {
    static LRESULT Hook(int code, WPARAM wParam, LPARAM lParam) {
        Creation& pending = Pending();
        if (code == HCBT_CREATEWND && pending.window != nullptr) {
            CWnd* object = pending.window;
            pending.window = nullptr;
            object->SubclassWindow(reinterpret_cast<HWND>(wParam));
        }
        return ::CallNextHookEx(pending.hook, code, wParam, lParam);
    }
};

BOOL CWnd::PreCreateWindow(CREATESTRUCTW& create) {
    if (create.lpszClass == nullptr) {
        RegisterDefaultClass();
        create.lpszClass = kDefaultClass;
    }
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menu, LPVOID parameter) {
    CREATESTRUCTW create {parameter,  nullptr,   menu,   parent, height, width, y, x, static_cast<LONG>(style),
                          windowName, className, exStyle};
    if (m_hWnd != nullptr || !PreCreateWindow(create)) return FALSE;
    // One hook per thread serves nested creations (a window made while
    // another one is being created).
    Creation& pending = Pending();
    CWnd* const outer = pending.window;
    const bool outermost = pending.hook == nullptr;
    if (outermost) pending.hook = ::SetWindowsHookExW(WH_CBT, CWndCreation::Hook, nullptr, ::GetCurrentThreadId());
    pending.window = this;
    HWND window = ::CreateWindowExW(create.dwExStyle, create.lpszClass, create.lpszName,
                                    static_cast<DWORD>(create.style), create.x, create.y, create.cx, create.cy,
                                    create.hwndParent, create.hMenu, create.hInstance, create.lpCreateParams);
    pending.window = outer;
    if (outermost) {
        ::UnhookWindowsHookEx(pending.hook);
        pending.hook = nullptr;
    }
    if (window == nullptr) {
        // Refused by the procedure: the object was attached and detached already.
        return FALSE;
    }
    return m_hWnd == window;
}

BOOL CWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                  LPVOID parameter) {
    return CreateEx(0, className, windowName, style | WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent != nullptr ? parent->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), parameter);
}

BOOL CWnd::DestroyWindow() {
    return m_hWnd != nullptr && ::DestroyWindow(m_hWnd);
}
