#include "afxwin/app.h"

#include <unistd.h>

#include <filesystem>

#include "win/text.h"

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

namespace {

CWinApp* gApp = nullptr;
// The program's instance: any address unique to it will do.
const char kInstanceTag = 0;

std::filesystem::path ExecutablePath() {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path("movanta") : path;
}

}  // namespace

void CCommandLineInfo::ParseParam(const WCHAR* param, BOOL flag, BOOL) {
    if (flag || param == nullptr || !m_strFileName.IsEmpty()) return;
    m_strFileName = param;
    m_nShellCommand = FileOpen;
}

CWinApp::CWinApp(LPCWSTR appName) : m_pszAppName(appName) {
    gApp = this;
    m_hInstance = reinterpret_cast<HINSTANCE>(const_cast<char*>(&kInstanceTag));
    const std::filesystem::path exe = ExecutablePath();
    m_pszExeName = movanta::Utf8ToWide(exe.stem().string()).c_str();
    if (m_pszAppName.IsEmpty()) m_pszAppName = m_pszExeName;
    std::filesystem::path help = exe;
    help.replace_extension(".chm");
    m_pszHelpFilePath = movanta::Utf8ToWide(help.string()).c_str();
}

CWinApp::~CWinApp() {
    if (gApp == this) gApp = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return m_exitCode;
}

BOOL CWinApp::PreTranslateMessage(MSG* message) {
    HWND main = m_pMainWnd != nullptr ? m_pMainWnd->GetSafeHwnd() : nullptr;
    return CWnd::WalkPreTranslateTree(main, message);
}

BOOL CWinApp::PumpMessage() {
    if (!::GetMessageW(&m_msgCur, nullptr, 0, 0)) {
        m_exitCode = static_cast<int>(m_msgCur.wParam);
        return FALSE;
    }
    if (!PreTranslateMessage(&m_msgCur)) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageW(&m_msgCur);
    }
    return TRUE;
}

BOOL CWinApp::OnIdle(LONG count) {
    if (count > 0) {
        CWnd::DeleteTempMap();
        return FALSE;
    }
    if (m_pMainWnd != nullptr && m_pMainWnd->GetSafeHwnd() != nullptr && m_pMainWnd->IsWindowVisible()) {
        m_pMainWnd->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
        m_pMainWnd->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
    }
    return TRUE;
}

// Whether the message may have changed what command UI shows, so that idle
// work runs again after it: not for painting, nor for the mouse resting.
bool CWinApp::IsIdleMessage(const MSG& message) {
    if (message.message == WM_PAINT) return false;
    if (message.message == WM_MOUSEMOVE || message.message == WM_NCMOUSEMOVE) {
        const bool moved = message.lParam != m_lastMouse.lParam || message.message != m_lastMouse.message;
        m_lastMouse = message;
        return moved;
    }
    return true;
}

int CWinApp::Run() {
    LONG idleCount = 0;
    MSG peek {};
    for (;;) {
        while (!::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++)) break;
        }
        do {
            if (!PumpMessage()) return ExitInstance();
            if (IsIdleMessage(m_msgCur)) idleCount = 0;
        } while (::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE));
    }
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) {
    for (size_t i = 0; i < m_arguments.size(); ++i) {
        const WCHAR* param = m_arguments[i].GetString();
        // Flags start with '-': on this system '/' starts an absolute path.
        const bool flag = param[0] == L'-';
        info.ParseParam(flag ? param + 1 : param, flag, i + 1 == m_arguments.size());
    }
}

CWinApp* AfxGetApp() {
    return gApp;
}

HINSTANCE AfxGetInstanceHandle() {
    return gApp != nullptr ? gApp->m_hInstance : nullptr;
}

HINSTANCE AfxGetResourceHandle() {
    return AfxGetInstanceHandle();
}

CWnd* AfxGetMainWnd() {
    return gApp != nullptr ? gApp->m_pMainWnd : nullptr;
}

int AfxWinMain(int argc, char** argv) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return 1;
    for (int i = 1; i < argc; ++i) app->m_arguments.emplace_back(movanta::Utf8ToWide(argv[i]).c_str());
    if (!app->InitInstance()) {
        if (app->m_pMainWnd != nullptr && app->m_pMainWnd->GetSafeHwnd() != nullptr) {
            app->m_pMainWnd->DestroyWindow();
        }
        return app->ExitInstance();
    }
    return app->Run();
}
