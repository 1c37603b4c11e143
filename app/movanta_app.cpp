#include "movanta_app.h"

#include <cstdio>

#include "afxwin/file_dialog.h"
#include "afxwin/resources.h"
#include "app_settings.h"
#include "gdi/gdiplus.h"
#include "gdi/metrics.h"
#include "installation/installation.h"
#include "langtext/langtext.h"
#include "main_frame.h"
#include "registry_key.h"
#include "ui/desktop.h"
#include "ui/shell.h"
#include "win/sync.h"

namespace movanta::app {
namespace {

constexpr DWORD kVersionInfoSize = 276;
constexpr int kClassNameLength = 128;

}  // namespace

CMovantaApp::CMovantaApp() : CWinApp(L"Movanta") {}

void CMovantaApp::RaiseFirstInstance() {
    CRegistryKey user;
    user.SetRootKey(HKEY_CURRENT_USER);
    CString className;
    if (!user.OpenKey(kProgramKey, FALSE) || user.ReadString(L"WndClassName", className) != 0) return;
    if (HWND first = ::FindWindowW(className.Wide().c_str(), nullptr)) ::SetForegroundWindow(first);
}

BOOL CMovantaApp::InitInstance() {
    m_launchCheck = OpenEventW(EVENT_ALL_ACCESS, TRUE, kLaunchCheck);
    if (m_launchCheck != nullptr) {
        CloseHandle(m_launchCheck);
        m_launchCheck = nullptr;
        RaiseFirstInstance();
        return FALSE;
    }
    m_launchCheck = CreateEventW(nullptr, TRUE, FALSE, kLaunchCheck);
    ParseCommandLine(m_commandLine);
    if (!movanta::ui::StartDesktop()) {
        std::fprintf(stderr, "Movanta needs a desktop to show its window, and there is no display.\n");
        return FALSE;
    }

    CRegistryKey machine;
    machine.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!machine.OpenKey(kProgramKey, FALSE) || machine.ReadString(L"AppPath", m_appPath) != 0) {
        AfxMessageBox(L"Please install Nexaro Movanta first !\n");
        return FALSE;
    }
    orkInitMLTran((m_appPath + L"\\Localization").Wide().c_str(), 0);
    OSVERSIONINFOW version {};
    version.dwOSVersionInfoSize = kVersionInfoSize;
    if (GetVersionExW(&version) && version.dwMajorVersion < 5) {
        AfxMessageBox(L"Movanta couldn't be run on Win98/Me !\n");
        return FALSE;
    }
    ZINTChkAndRegFiles();
    const Gdiplus::GdiplusStartupInput gdiplus;
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &gdiplus, nullptr);
    return CreateMainWindow() ? TRUE : FALSE;
}

bool CMovantaApp::CreateMainWindow() {
    RegisterStringResource(AfxGetInstanceHandle(), kFrameResource, L"Movanta");
    auto* frame = new CMainFrame;  // deletes itself with its window
    if (LPCWSTR file = m_commandLine.GetItem(0)) frame->SetStartFile(file);
    if (!frame->LoadFrame(kFrameResource, kFrameStyle)) {
        AfxMessageBox(L"Movanta cannot show its window: its skin Movanta.zsp is missing or damaged.\n"
                      L"Please install Nexaro Movanta again.\n");
        return false;
    }
    m_pMainWnd = frame;
    WCHAR className[kClassNameLength] {};
    if (::GetClassNameW(frame->m_hWnd, className, kClassNameLength) > 0) {
        CRegistryKey user;
        user.SetRootKey(HKEY_CURRENT_USER);
        if (user.OpenKey(kProgramKey, FALSE)) user.WriteString(L"WndClassName", className);
    }
    // The window comes up in the middle of the work area.
    RECT work {};
    CRect window;
    frame->GetWindowRect(&window);
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        frame->SetWindowPos(nullptr, work.left + (work.right - work.left - window.Width()) / 2,
                            work.top + (work.bottom - work.top - window.Height()) / 2, 0, 0,
                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    frame->ShowWindow(SW_SHOW);
    frame->UpdateWindow();
    return true;
}

int CMovantaApp::ExitInstance() {
    if (m_gdiplusToken != 0) Gdiplus::GdiplusShutdown(m_gdiplusToken);
    if (m_launchCheck != nullptr) CloseHandle(m_launchCheck);
    m_launchCheck = nullptr;
    return CWinApp::ExitInstance();
}

}  // namespace movanta::app
