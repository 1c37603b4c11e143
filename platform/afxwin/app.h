// The application object: one per program, made as a global. AfxWinMain
// parses the command line, runs InitInstance and then the message loop,
// which updates command UI when idle, until WM_QUIT; then ExitInstance.
#pragma once

#include <vector>

#include "afx/cstring.h"
#include "afxwin/wnd.h"

class CCommandLineInfo : public CObject {
public:
    enum { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppRegister, AppUnregister, FileNothing = -1 };
    ~CCommandLineInfo() override = default;
    // Called for every parameter; `flag` when it started with '-' (which is
    // not passed; '/' starts a path here), `last` for the last one. The first parameter
    // that is not a flag is the file to open.
    virtual void ParseParam(const WCHAR* param, BOOL flag, BOOL last);

    int m_nShellCommand = FileNew;
    CString m_strFileName;
};

class CWinApp : public CCmdTarget {
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    virtual int Run();
    // Idle work: temporary objects are freed and the main window's command
    // UI is brought up to date. TRUE asks for more idle calls.
    virtual BOOL OnIdle(LONG count);
    virtual BOOL PreTranslateMessage(MSG* message);
    // Gets, translates and dispatches one message; FALSE for WM_QUIT.
    BOOL PumpMessage();
    void ParseCommandLine(CCommandLineInfo& info);

    CWnd* m_pMainWnd = nullptr;
    CString m_pszAppName;
    CString m_pszExeName;
    CString m_pszHelpFilePath;  // "<executable>.chm" beside the executable
    HINSTANCE m_hInstance = nullptr;
    std::vector<CString> m_arguments;  // the command line after the program name

private:
    bool IsIdleMessage(const MSG& message);

    MSG m_msgCur {};
    MSG m_lastMouse {};
    int m_exitCode = 0;
    friend int AfxWinMain(int argc, char** argv);
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
CWnd* AfxGetMainWnd();
// The program's entry: main() returns what this returns.
int AfxWinMain(int argc, char** argv);

inline constexpr UINT WM_IDLEUPDATECMDUI = 0x0363;  // wParam: disable commands without a handler
