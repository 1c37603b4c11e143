// Handle maps, attaching and subclassing, and the routing of messages
// through message maps.
#include "afxwin/wnd.h"

#include <map>
#include <memory>
#include <mutex>

#include "afxwin/app.h"

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
ON_WM_NCDESTROY()
END_MESSAGE_MAP()

namespace {

struct HandleMaps {
    std::mutex lock;
    std::map<HWND, CWnd*> permanent;
};

HandleMaps& Maps() {
    static HandleMaps maps;
    return maps;
}

std::map<HWND, std::unique_ptr<CWnd>>& TempWindows() {
    static thread_local std::map<HWND, std::unique_ptr<CWnd>> temps;
    return temps;
}

}  // namespace

CWnd::~CWnd() {
    if (m_hWnd != nullptr) {
        // The object goes before its window: the window keeps working with
        // its previous procedure.
        if (m_pfnSuper != nullptr) UnsubclassWindow();
        Detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND window) {
    HandleMaps& maps = Maps();
    std::lock_guard guard(maps.lock);
    auto it = maps.permanent.find(window);
    return it == maps.permanent.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND window) {
    if (window == nullptr) return nullptr;
    if (CWnd* permanent = FromHandlePermanent(window)) return permanent;
    std::unique_ptr<CWnd>& temp = TempWindows()[window];
    if (!temp) {
        temp = std::make_unique<CWnd>();
        temp->m_hWnd = window;
    }
    return temp.get();
}

void CWnd::DeleteTempMap() {
    for (auto& [window, temp] : TempWindows()) temp->m_hWnd = nullptr;
    TempWindows().clear();
    CDC::DeleteTempMap();
}

BOOL CWnd::Attach(HWND window) {
    if (window == nullptr || m_hWnd != nullptr) return FALSE;
    HandleMaps& maps = Maps();
    std::lock_guard guard(maps.lock);
    if (maps.permanent.count(window) != 0) return FALSE;
    maps.permanent[window] = this;
    m_hWnd = window;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND window = m_hWnd;
    if (window != nullptr) {
        HandleMaps& maps = Maps();
        std::lock_guard guard(maps.lock);
        auto it = maps.permanent.find(window);
        if (it != maps.permanent.end() && it->second == this) maps.permanent.erase(it);
    }
    m_hWnd = nullptr;
    return window;
}

BOOL CWnd::SubclassWindow(HWND window) {
    if (!::IsWindow(window) || !Attach(window)) return FALSE;
    const auto previous =
        reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc)));
    if (previous != AfxWndProc) m_pfnSuper = previous;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    return parent != nullptr && SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() {
    if (m_pfnSuper != nullptr) {
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        m_pfnSuper = nullptr;
    }
    return Detach();
}

LRESULT CWnd::AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* object = FromHandlePermanent(window);
    if (object == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    const MSG current {window, message, wParam, lParam, 0, {0, 0}};
    const MSG* outer = object->m_pCurrentMsg;
    object->m_pCurrentMsg = &current;
    const LRESULT result = object->WindowProc(message, wParam, lParam);
    // A handler that destroyed the window may have deleted the object with
    // it (WM_NCDESTROY, or any message whose handler called DestroyWindow).
    if (message != WM_NCDESTROY && FromHandlePermanent(window) == object) object->m_pCurrentMsg = outer;
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    LRESULT answer = 0;
    BOOL handled = FALSE;
    if (message == WM_COMMAND) {
        handled = OnCommand(wParam, lParam);
        answer = handled ? 1 : 0;
    } else if (message == WM_NOTIFY) {
        handled = OnNotify(wParam, lParam, &answer);
    } else if (const AFX_MSGMAP_ENTRY* entry = FindEntry(GetMessageMap(), message, 0, 0)) {
        handled = entry->pfn(this, wParam, lParam, &answer);
    }
    if (handled && result != nullptr) *result = answer;
    return handled;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    // Menus and accelerators (no control) give commands; a control's code is
    // its notification, BN_CLICKED being the command itself.
    return OnCmdMsg(id, lParam == 0 ? static_cast<int>(CN_COMMAND) : code, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* result) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header == nullptr) return FALSE;
    const AFX_MSGMAP_ENTRY* entry =
        FindEntry(GetMessageMap(), WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom));
    return entry != nullptr && entry->pfn(this, 0, lParam, result);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    if (m_pCurrentMsg == nullptr) return 0;
    return DefWindowProc(m_pCurrentMsg->message, m_pCurrentMsg->wParam, m_pCurrentMsg->lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

BOOL CWnd::WalkPreTranslateTree(HWND stop, MSG* message) {
    for (HWND window = message->hwnd; window != nullptr; window = ::GetAncestor(window, GA_PARENT)) {
        CWnd* object = FromHandlePermanent(window);
        if (object != nullptr && object->PreTranslateMessage(message)) return TRUE;
        if (window == stop) break;
    }
    return FALSE;
}

void CWnd::PostNcDestroy() {}

void CWnd::OnNcDestroy() {
    Default();
    // The application's main window is gone: nothing may reach it through
    // the application any more (its object may be deleted right after).
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == this) app->m_pMainWnd = nullptr;
    if (m_pfnSuper != nullptr) {
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        m_pfnSuper = nullptr;
    }
    Detach();
    PostNcDestroy();
}
