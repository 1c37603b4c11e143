#include "ui/control.h"

#include <QVBoxLayout>
#include <array>

#include "gdi/qt_text.h"

namespace movanta::ui {
namespace {

using Maker = std::unique_ptr<Control> (*)(HWND);

struct ControlClass {
    LPCWSTR name;
    Maker make;
};

const std::array<ControlClass, 11> kClasses {{
    {WC_EDIT, MakeEdit},
    {WC_BUTTON, MakeButton},
    {WC_STATIC, MakeStatic},
    {WC_LISTBOX, MakeListBox},
    {WC_COMBOBOX, MakeComboBox},
    {WC_LISTVIEW, MakeListView},
    {WC_TREEVIEW, MakeTreeView},
    {UPDOWN_CLASS, MakeUpDown},
    {TRACKBAR_CLASS, MakeTrackBar},
    {PROGRESS_CLASS, MakeProgress},
    {TOOLTIPS_CLASS, MakeToolTips},
}};

Control* ControlOf(HWND window) {
    return reinterpret_cast<Control*>(GetWindowLongPtrW(window, 0));
}

void Show(Control& control) {
    QWidget* host = HostWidget(control.Window());
    if (host == nullptr) return;
    QWidget* widget = control.MakeWidget(host);
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    // The window's size is the program's: a widget that would rather be
    // larger (a combo box in a narrow window) must not grow its window.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    widget->setMinimumSize(0, 0);
    layout->addWidget(widget);
    control.SetWidget(widget);
}

template <size_t Index>
LRESULT ClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto control = kClasses[Index].make(window);
        SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(control.get()));
        Show(*control.release());
        return DefWindowProcW(window, message, wParam, lParam);
    }
    Control* control = ControlOf(window);
    if (control == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, 0, 0);
        delete control;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_PAINT) {
        // The widget paints the control; its window keeps no picture.
        ValidateRect(window, nullptr);
        return 0;
    }
    if (message == WM_ERASEBKGND) return TRUE;
    if (message == WM_SETFONT) {
        control->SetFont(static_cast<HFONT__*>(reinterpret_cast<void*>(wParam)));
        return 0;
    }
    if (message == WM_GETFONT) return reinterpret_cast<LRESULT>(control->Font());
    bool handled = true;
    const LRESULT result = control->Handle(message, wParam, lParam, handled);
    return handled ? result : DefWindowProcW(window, message, wParam, lParam);
}

template <size_t... Index>
void RegisterAll(std::index_sequence<Index...>) {
    (
        [] {
            WNDCLASSW windowClass {};
            windowClass.style = CS_DBLCLKS;
            windowClass.lpfnWndProc = ClassProc<Index>;
            windowClass.cbWndExtra = sizeof(Control*);
            windowClass.lpszClassName = kClasses[Index].name;
            RegisterClassW(&windowClass);
        }(),
        ...);
}

const bool kRegistered = (RegisterControlClasses(), true);

}  // namespace

void RegisterControlClasses() {
    RegisterAll(std::make_index_sequence<kClasses.size()>());
}

void Control::SetFont(HFONT__* font) {
    font_ = font;
    if (widget_ != nullptr) widget_->setFont(FontOf(reinterpret_cast<WPARAM>(font)));
}

DWORD Control::Style() const {
    return static_cast<DWORD>(GetWindowLongW(window_, GWL_STYLE));
}

HWND Control::Parent() const {
    HWND parent = GetParent(window_);
    return parent != nullptr ? parent : GetWindow(window_, GW_OWNER);
}

void Control::Notify(WORD code) const {
    SendMessageW(Parent(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window_), code), reinterpret_cast<LPARAM>(window_));
}

LRESULT Control::NotifyWith(NMHDR& header, UINT code) const {
    header.hwndFrom = window_;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(window_));
    header.code = code;
    return SendMessageW(Parent(), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

QFont FontOf(WPARAM font) {
    const auto* object = gdi::Live<gdi::Font>(reinterpret_cast<void*>(font), gdi::GdiObject::Kind::Font);
    return object != nullptr ? object->font : gdi::DefaultFont();
}

}  // namespace movanta::ui
