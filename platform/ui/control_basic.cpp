// Edit boxes, buttons and static texts.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <string>

#include "ui/control.h"
#include "win/text.h"

namespace movanta::ui {
namespace {

std::wstring TitleOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

QString ToQt(const std::wstring& text) {
    return QString::fromStdWString(text);
}

class Edit final : public Control {
public:
    explicit Edit(HWND window) : Control(window), text_(TitleOf(window)) {}

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        switch (message) {
            case WM_SETTEXT:
                text_ = lParam == 0 ? L"" : reinterpret_cast<LPCWSTR>(lParam);
                if (limit_ > 0 && text_.size() > limit_) text_.resize(limit_);
                Show();
                Notify(EN_CHANGE);
                return TRUE;
            case WM_GETTEXT:
                if (lParam == 0 || wParam == 0) return 0;
                return static_cast<LRESULT>(CopyToBuffer(text_, reinterpret_cast<LPWSTR>(lParam), wParam));
            case WM_GETTEXTLENGTH: return static_cast<LRESULT>(text_.size());
            case EM_SETREADONLY:
                readOnly_ = wParam != 0;
                if (auto* line = qobject_cast<QLineEdit*>(widget_)) line->setReadOnly(readOnly_);
                return TRUE;
            case EM_LIMITTEXT:
                limit_ = static_cast<size_t>(wParam);
                if (auto* line = qobject_cast<QLineEdit*>(widget_)) {
                    line->setMaxLength(limit_ == 0 ? 32767 : static_cast<int>(limit_));
                }
                return 0;
            case EM_SETSEL: return 0;
            default: handled = false; return 0;
        }
    }

    QWidget* MakeWidget(QWidget* host) override {
        auto* line = new QLineEdit(host);
        readOnly_ = readOnly_ || (Style() & ES_READONLY) != 0;
        line->setReadOnly(readOnly_);
        if ((Style() & ES_PASSWORD) != 0) line->setEchoMode(QLineEdit::Password);
        line->setText(ToQt(text_));
        QObject::connect(line, &QLineEdit::textEdited, line, [this](const QString& text) {
            text_ = text.toStdWString();
            Notify(EN_CHANGE);
        });
        return line;
    }

private:
    void Show() {
        auto* line = qobject_cast<QLineEdit*>(widget_);
        if (line != nullptr && line->text() != ToQt(text_)) line->setText(ToQt(text_));
    }

    std::wstring text_;
    size_t limit_ = 0;
    bool readOnly_ = false;
};

class Button final : public Control {
public:
    using Control::Control;

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        switch (message) {
            case WM_SETTEXT: {
                const LRESULT result = DefWindowProcW(window_, message, wParam, lParam);
                if (auto* button = qobject_cast<QAbstractButton*>(widget_)) button->setText(ToQt(TitleOf(window_)));
                return result;
            }
            case BM_GETCHECK: return static_cast<LRESULT>(checked_);
            case BM_SETCHECK: SetChecked(wParam); return 0;
            case BM_CLICK: Clicked(); return 0;
            default: handled = false; return 0;
        }
    }

    QWidget* MakeWidget(QWidget* host) override {
        QAbstractButton* button = nullptr;
        switch (Kind()) {
            case BS_CHECKBOX:
            case BS_AUTOCHECKBOX: button = new QCheckBox(host); break;
            case BS_RADIOBUTTON:
            case BS_AUTORADIOBUTTON: button = new QRadioButton(host); break;
            default: button = new QPushButton(host); break;
        }
        button->setText(ToQt(TitleOf(window_)));
        // The control keeps the state; the widget only shows it.
        button->setCheckable(Kind() != BS_PUSHBUTTON && Kind() != BS_DEFPUSHBUTTON);
        if (auto* radio = qobject_cast<QRadioButton*>(button)) radio->setAutoExclusive(false);
        QObject::connect(button, &QAbstractButton::clicked, button, [this] { Clicked(); });
        return button;
    }

private:
    DWORD Kind() const { return Style() & BS_TYPEMASK; }

    void SetChecked(WPARAM state) {
        checked_ = state;
        if (auto* button = qobject_cast<QAbstractButton*>(widget_)) {
            button->blockSignals(true);
            button->setChecked(state == BST_CHECKED);
            button->blockSignals(false);
        }
    }

    void Clicked() {
        if (Kind() == BS_AUTOCHECKBOX) SetChecked(checked_ == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
        if (Kind() == BS_AUTORADIOBUTTON) {
            // The other automatic radio buttons of the parent go out.
            for (HWND sibling = GetWindow(Parent(), GW_CHILD); sibling != nullptr;
                 sibling = GetWindow(sibling, GW_HWNDNEXT)) {
                wchar_t name[16] {};
                GetClassNameW(sibling, name, 16);
                const auto style = static_cast<DWORD>(GetWindowLongW(sibling, GWL_STYLE));
                if (sibling != window_ && std::wstring_view(name) == WC_BUTTON &&
                    (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON) {
                    SendMessageW(sibling, BM_SETCHECK, BST_UNCHECKED, 0);
                }
            }
            SetChecked(BST_CHECKED);
        }
        if (auto* button = qobject_cast<QAbstractButton*>(widget_); button != nullptr && button->isCheckable()) {
            SetChecked(checked_);
        }
        Notify(BN_CLICKED);
    }

    WPARAM checked_ = BST_UNCHECKED;
};

// A label that reports clicks with SS_NOTIFY.
class ClickableLabel final : public QLabel {
public:
    ClickableLabel(QWidget* parent, std::function<void()> clicked) : QLabel(parent), clicked_(std::move(clicked)) {}

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) clicked_();
    }

private:
    std::function<void()> clicked_;
};

class Static final : public Control {
public:
    using Control::Control;

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        if (message != WM_SETTEXT) {
            handled = false;
            return 0;
        }
        const LRESULT result = DefWindowProcW(window_, message, wParam, lParam);
        if (auto* label = dynamic_cast<QLabel*>(widget_)) label->setText(ToQt(TitleOf(window_)));
        return result;
    }

    QWidget* MakeWidget(QWidget* host) override {
        auto* label = new ClickableLabel(host, [this] {
            if ((Style() & SS_NOTIFY) != 0) Notify(STN_CLICKED);
        });
        if ((Style() & SS_TYPEMASK) == SS_BLACKRECT) {
            QPalette palette = label->palette();
            palette.setColor(QPalette::Window, Qt::black);
            label->setPalette(palette);
            label->setAutoFillBackground(true);
            return label;
        }
        label->setText(ToQt(TitleOf(window_)));
        const DWORD align = Style() & 0x3;
        label->setAlignment((align == SS_CENTER  ? Qt::AlignHCenter
                             : align == SS_RIGHT ? Qt::AlignRight
                                                 : Qt::AlignLeft) |
                            Qt::AlignTop);
        label->setWordWrap(true);
        return label;
    }
};

}  // namespace

std::unique_ptr<Control> MakeEdit(HWND window) {
    return std::make_unique<Edit>(window);
}

std::unique_ptr<Control> MakeButton(HWND window) {
    return std::make_unique<Button>(window);
}

std::unique_ptr<Control> MakeStatic(HWND window) {
    return std::make_unique<Static>(window);
}

}  // namespace movanta::ui
