// The desktop back end of the window layer, on Qt 6 Widgets: windows of the
// thread that starts it appear on the screen (or Qt's offscreen platform),
// and the desktop's input, moves and activation come back as messages.
#pragma once

#include <functional>

#include "win/winuser.h"

namespace movanta::ui {

// Makes the Qt application (once per process) and installs the back end on
// the calling thread, whose message loop then runs Qt's events. False, with
// a message on standard error, when no display can be opened.
bool StartDesktop();
// Removes the back end; the windows stay as records.
void StopDesktop();

// Whether the desktop composes windows (a compositing manager runs), so that
// per-pixel opacity shows; false before StartDesktop.
bool DesktopComposites();

// Test hook: called whenever the back end starts the desktop's own move
// (edge HTCAPTION) or resize (edge HTLEFT..HTBOTTOMRIGHT) of a window.
void OnSystemMoveStarted(std::function<void(HWND window, LRESULT edge)> observer);

}  // namespace movanta::ui
