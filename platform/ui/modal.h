// Running the caller's message loop while a Qt dialog is shown. Internal
// to the desktop library.
#pragma once

#include <QDialog>

#include "win/winuser.h"

namespace movanta::ui {

// Shows the dialog over the owner (disabled meanwhile) and handles messages
// until it closes; answers its result, or QDialog::Rejected when WM_QUIT
// came (it is posted again for the loop outside).
int RunDialog(QDialog& dialog, HWND owner);

}  // namespace movanta::ui
