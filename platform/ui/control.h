// The standard controls' shared machinery: one window procedure for every
// control class, which keeps a Control object per window; the object holds
// the control's state and, when the desktop back end runs, a Qt widget that
// shows it inside the window. Internal to the desktop library.
#pragma once

#include <QWidget>
#include <memory>

#include "ui/controls.h"

struct HFONT__;

namespace movanta::ui {

class Control {
public:
    explicit Control(HWND window) : window_(window) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // The control's own messages; anything it leaves (handled false) goes
    // to DefWindowProcW.
    virtual LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;
    // The widget that shows the control, made as a child of `host`.
    virtual QWidget* MakeWidget(QWidget* host) = 0;

    HWND Window() const { return window_; }
    // WM_SETFONT and WM_GETFONT, the same for every control.
    void SetFont(HFONT__* font);
    HFONT__* Font() const { return font_; }
    DWORD Style() const;
    void SetWidget(QWidget* widget) { widget_ = widget; }

protected:
    // WM_COMMAND with the control's identifier to its parent (or owner).
    void Notify(WORD code) const;
    // WM_NOTIFY with a header filled in from this control.
    LRESULT NotifyWith(NMHDR& header, UINT code) const;
    HWND Parent() const;

    HWND window_;
    QWidget* widget_ = nullptr;  // null without the desktop back end
    HFONT__* font_ = nullptr;
};

// Registers every control class; called once when the library loads.
void RegisterControlClasses();

// The makers of the control kinds, by class.
std::unique_ptr<Control> MakeEdit(HWND window);
std::unique_ptr<Control> MakeButton(HWND window);
std::unique_ptr<Control> MakeStatic(HWND window);
std::unique_ptr<Control> MakeListBox(HWND window);
std::unique_ptr<Control> MakeComboBox(HWND window);
std::unique_ptr<Control> MakeListView(HWND window);
std::unique_ptr<Control> MakeTreeView(HWND window);
std::unique_ptr<Control> MakeUpDown(HWND window);
std::unique_ptr<Control> MakeTrackBar(HWND window);
std::unique_ptr<Control> MakeProgress(HWND window);
std::unique_ptr<Control> MakeToolTips(HWND window);

// Whether the desktop back end runs in this process.
bool DesktopRuns();
// The widget the back end shows a window with, or null.
QWidget* HostWidget(HWND window);
// The Qt font of a drawing-interface font handle (the default for null).
QFont FontOf(WPARAM font);

}  // namespace movanta::ui
