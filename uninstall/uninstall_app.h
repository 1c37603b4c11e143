// UninstallMovanta: asks a running Movanta to close, then starts the
// uninstall command the installation registered; it removes nothing itself
// and has no window of its own.
#pragma once

#include "afxwin/app.h"

namespace movanta::uninstall {

class CUninstallApp : public CWinApp {
public:
    CUninstallApp();
    // The whole program: the question when Movanta runs, the close request,
    // the registered command. The program ends right after.
    BOOL InitInstance() override;
};

}  // namespace movanta::uninstall
