// Controls with a position in a range: up-down arrows beside a buddy
// window, track bars and progress bars.
#include <QHBoxLayout>
#include <QProgressBar>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "ui/control.h"

namespace movanta::ui {
namespace {

struct Range {
    int low = 0;
    int high = 100;
    int position = 0;

    void Set(int a, int b) {
        low = std::min(a, b);
        high = std::max(a, b);
        position = std::clamp(position, low, high);
    }
    // Answers the previous position.
    int Move(int to) { return std::exchange(position, std::clamp(to, low, high)); }
};

struct NMUPDOWN {
    NMHDR hdr;
    int iPos;
    int iDelta;
};

class UpDown final : public Control {
public:
    explicit UpDown(HWND window) : Control(window) { range_.high = 0; }

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        switch (message) {
            case UDM_SETRANGE:
                range_.Set(static_cast<short>(HIWORD(lParam)), static_cast<short>(LOWORD(lParam)));
                return 0;
            case UDM_SETPOS: {
                const int previous = range_.Move(static_cast<short>(LOWORD(lParam)));
                ShowInBuddy();
                return previous;
            }
            case UDM_GETPOS: return range_.position;
            case UDM_SETBUDDY: {
                HWND previous = std::exchange(buddy_, reinterpret_cast<HWND>(wParam));
                Align();
                return reinterpret_cast<LRESULT>(previous);
            }
            case UDM_GETBUDDY: return reinterpret_cast<LRESULT>(buddy_);
            default: handled = false; return 0;
        }
    }

    QWidget* MakeWidget(QWidget* host) override {
        auto* box = new QWidget(host);
        auto* layout = new QVBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        for (const int delta : {1, -1}) {
            auto* arrow = new QToolButton(box);
            arrow->setArrowType(delta > 0 ? Qt::UpArrow : Qt::DownArrow);
            arrow->setAutoRepeat(true);
            arrow->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            QObject::connect(arrow, &QToolButton::clicked, arrow, [this, delta] { Step(delta); });
            layout->addWidget(arrow);
        }
        return box;
    }

private:
    void Step(int delta) {
        NMUPDOWN change {{}, range_.position, delta};
        if (NotifyWith(change.hdr, UDN_DELTAPOS) != 0) return;  // the parent refused
        range_.Move(range_.position + delta);
        ShowInBuddy();
        SendMessageW(Parent(), WM_VSCROLL, MAKEWPARAM(4 /* SB_THUMBPOSITION */, range_.position),
                     reinterpret_cast<LPARAM>(window_));
    }

    void ShowInBuddy() {
        if (buddy_ != nullptr && (Style() & UDS_SETBUDDYINT) != 0) {
            SetWindowTextW(buddy_, std::to_wstring(range_.position).c_str());
        }
    }

    // UDS_ALIGNLEFT and UDS_ALIGNRIGHT put the arrows at that edge of the
    // buddy, which gives up the room.
    void Align() {
        const DWORD style = Style();
        if (buddy_ == nullptr || (style & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT)) == 0) return;
        RECT buddy {};
        RECT own {};
        GetWindowRect(buddy_, &buddy);
        GetWindowRect(window_, &own);
        MapWindowPoints(nullptr, GetParent(buddy_), reinterpret_cast<POINT*>(&buddy), 2);
        const int width = own.right - own.left;
        const int height = buddy.bottom - buddy.top;
        if ((style & UDS_ALIGNLEFT) != 0) {
            MoveWindow(window_, buddy.left, buddy.top, width, height, TRUE);
            MoveWindow(buddy_, buddy.left + width, buddy.top, buddy.right - buddy.left - width, height, TRUE);
        } else {
            MoveWindow(window_, buddy.right - width, buddy.top, width, height, TRUE);
            MoveWindow(buddy_, buddy.left, buddy.top, buddy.right - buddy.left - width, height, TRUE);
        }
    }

    Range range_;
    HWND buddy_ = nullptr;
};

class TrackBar final : public Control {
public:
    using Control::Control;

    LRESULT Handle(UINT message, WPARAM, LPARAM lParam, bool& handled) override {
        switch (message) {
            case TBM_SETRANGE:
                range_.Set(LOWORD(lParam), HIWORD(lParam));
                Show();
                return 0;
            case TBM_SETPOS:
                range_.Move(static_cast<int>(lParam));
                Show();
                return 0;
            case TBM_GETPOS: return range_.position;
            default: handled = false; return 0;
        }
    }

    QWidget* MakeWidget(QWidget* host) override {
        slider_ = new QSlider(Qt::Horizontal, host);
        Show();
        QObject::connect(slider_, &QSlider::sliderMoved, slider_, [this](int value) { Moved(TB_THUMBTRACK, value); });
        QObject::connect(slider_, &QSlider::valueChanged, slider_, [this](int value) {
            if (!slider_->isSliderDown() && !showing_) Moved(TB_ENDTRACK, value);
        });
        QObject::connect(slider_, &QSlider::sliderReleased, slider_, [this] { Moved(TB_ENDTRACK, slider_->value()); });
        return slider_;
    }

private:
    void Moved(WORD code, int value) {
        range_.Move(value);
        SendMessageW(Parent(), WM_HSCROLL, MAKEWPARAM(code, range_.position), reinterpret_cast<LPARAM>(window_));
    }

    void Show() {
        if (slider_ == nullptr) return;
        showing_ = true;
        slider_->setRange(range_.low, range_.high);
        slider_->setValue(range_.position);
        showing_ = false;
    }

    Range range_;
    QSlider* slider_ = nullptr;
    bool showing_ = false;
};

class Progress final : public Control {
public:
    using Control::Control;

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        switch (message) {
            case PBM_SETRANGE: {
                const LRESULT previous = MAKELPARAM(range_.low, range_.high);
                range_.Set(LOWORD(lParam), HIWORD(lParam));
                Show();
                return previous;
            }
            case PBM_SETRANGE32: {
                const LRESULT previous = MAKELPARAM(range_.low, range_.high);
                range_.Set(static_cast<int>(wParam), static_cast<int>(lParam));
                Show();
                return previous;
            }
            case PBM_SETPOS: {
                const int previous = range_.Move(static_cast<int>(wParam));
                Show();
                return previous;
            }
            case PBM_GETPOS: return range_.position;
            default: handled = false; return 0;
        }
    }

    QWidget* MakeWidget(QWidget* host) override {
        bar_ = new QProgressBar(host);
        bar_->setTextVisible(false);
        Show();
        return bar_;
    }

private:
    void Show() {
        if (bar_ == nullptr) return;
        bar_->setRange(range_.low, range_.high);
        bar_->setValue(range_.position);
    }

    Range range_;
    QProgressBar* bar_ = nullptr;
};

}  // namespace

std::unique_ptr<Control> MakeUpDown(HWND window) {
    return std::make_unique<UpDown>(window);
}

std::unique_ptr<Control> MakeTrackBar(HWND window) {
    return std::make_unique<TrackBar>(window);
}

std::unique_ptr<Control> MakeProgress(HWND window) {
    return std::make_unique<Progress>(window);
}

}  // namespace movanta::ui
