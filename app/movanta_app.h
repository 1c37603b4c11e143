// CMovantaApp: the program Movanta. One instance runs at a time: a second
// start raises the first one's window and ends. The program needs its
// installation (the machine's "AppPath"), a display, and its skin.
#pragma once

#include "afxwin/app.h"
#include "app_command_line.h"

namespace movanta::app {

class CMovantaApp : public CWinApp {
public:
    // The single-instance event's name and the frame's resource.
    static constexpr const WCHAR* kLaunchCheck = L"MovantaLaunchCheck";
    static constexpr UINT kFrameResource = 128;
    static constexpr DWORD kFrameStyle = 0xCF8000;

    CMovantaApp();
    BOOL InitInstance() override;
    int ExitInstance() override;

    const CString& AppPath() const { return m_appPath; }
    const CAppCommandLineInfo& CommandLine() const { return m_commandLine; }

private:
    // Brings the running instance's window forward, when it can be found.
    static void RaiseFirstInstance();
    bool CreateMainWindow();

    CAppCommandLineInfo m_commandLine;
    CString m_appPath;
    HANDLE m_launchCheck = nullptr;
    ULONG_PTR m_gdiplusToken = 0;
};

}  // namespace movanta::app
