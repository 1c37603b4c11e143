// The window layer's back end on Qt Widgets. Internal to the desktop library.
#pragma once

#include <QTimer>
#include <functional>
#include <map>

#include "ui/window_widget.h"
#include "win/window_backend.h"
#include "win/window_table.h"

namespace movanta::ui {

class QtBackend final : public win::WindowBackend {
public:
    QtBackend();
    ~QtBackend() override;

    void Created(HWND window) override;
    void Destroyed(HWND window) override;
    void Changed(HWND window, unsigned changes) override;
    void Present(HWND window, const RECT& area) override;
    void CaptureChanged(HWND capture) override;
    void CursorChanged(HCURSOR cursor) override;
    POINT CursorPosition() override;
    RECT WorkArea() override;
    void Activate(HWND window) override;
    void StartSystemMove(HWND window) override;
    void StartSystemResize(HWND window, LRESULT edge) override;
    void ProcessEvents(DWORD timeout) override;
    void Wake() override;
    void ShowPicture(HWND window, const RECT& area, WindowPicture picture) override;

    // The widget that shows the window (on Qt's thread), or null.
    QWidget* Host(HWND window) const { return WidgetOf(window); }
    // Whether a compositing manager runs (asked of the X server each time).
    bool Composited();

    std::function<void(HWND, LRESULT)> moveObserver;

private:
    WindowWidget* WidgetOf(HWND window) const;
    // Runs `work` on Qt's thread: now when called there, else queued.
    void OnGuiThread(std::function<void()> work);
    void Sync(WindowWidget& widget, unsigned changes);
    void SyncLayering(WindowWidget& widget);
    // WM_GETMINMAXINFO as Qt's minimum and maximum sizes, widened to the
    // current size so that the program's own placing is never cut.
    void ApplySizeLimits(WindowWidget& widget, QSize current);
    void LimitDesktopSizing(WindowWidget& widget, const win::Window& record);
    // An owned window stays above its owner without being its Qt child:
    // disabling the owner (a modal loop does) would disable it too.
    void KeepAboveOwner(WindowWidget& widget, HWND owner);
    // Owned windows stay above their owner: after the owner is shown or
    // raised, its visible owned windows (and theirs) are raised too, since
    // no window manager may be there to keep them so.
    void RaiseOwned(HWND owner);

    std::map<HWND, WindowWidget*> widgets_;
    QTimer timeout_;
    bool toldNoCompositing_ = false;
};

}  // namespace movanta::ui
