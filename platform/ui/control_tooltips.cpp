// Tool tips: windows, or rectangles of windows, that show a text when the
// mouse rests over them, while the tool-tip control is active.
#include <QHelpEvent>
#include <QPointer>
#include <QToolTip>
#include <string>
#include <vector>

#include "ui/control.h"
#include "win/rect.h"

namespace movanta::ui {
namespace {

struct Tool {
    HWND window;  // the window the rectangle is in
    UINT_PTR id;  // a window itself with TTF_IDISHWND
    UINT flags;
    RECT rect;
    std::wstring text;
    QPointer<QWidget> watched;
};

class ToolTips;

class ToolTipFilter final : public QObject {
public:
    explicit ToolTipFilter(ToolTips& owner) : owner_(owner) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ToolTips& owner_;
};

class ToolTips final : public Control {
public:
    explicit ToolTips(HWND window) : Control(window), filter_(*this) {}
    ~ToolTips() override {
        for (Tool& tool : tools_) {
            if (tool.watched) tool.watched->removeEventFilter(&filter_);
        }
    }

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        const auto* info = reinterpret_cast<const TTTOOLINFOW*>(lParam);
        switch (message) {
            case TTM_ACTIVATE:
                active_ = wParam != 0;
                if (!active_) QToolTip::hideText();
                return 0;
            case TTM_ADDTOOLW: return Add(info) ? TRUE : FALSE;
            case TTM_DELTOOLW:
                if (Tool* tool = Find(info)) {
                    if (tool->watched) tool->watched->removeEventFilter(&filter_);
                    tools_.erase(tools_.begin() + (tool - tools_.data()));
                }
                return 0;
            case TTM_UPDATETIPTEXTW:
                if (Tool* tool = Find(info)) tool->text = TextOf(info);
                return 0;
            case TTM_GETTOOLCOUNT: return static_cast<LRESULT>(tools_.size());
            case TTM_SETDELAYTIME:
            case TTM_RELAYEVENT: return 0;
            default: handled = false; return 0;
        }
    }

    // Tool tips have no face of their own: the texts show at the tools.
    QWidget* MakeWidget(QWidget* host) override { return new QWidget(host); }

    // The text for a point of the watched widget, or empty.
    std::wstring TextAt(QObject* watched, QPoint point) const {
        if (!active_) return {};
        for (const Tool& tool : tools_) {
            if (tool.watched != watched) continue;
            if ((tool.flags & TTF_IDISHWND) != 0 || PtInRect(&tool.rect, {point.x(), point.y()})) return tool.text;
        }
        return {};
    }

private:
    static std::wstring TextOf(const TTTOOLINFOW* info) {
        const auto text = reinterpret_cast<ULONG_PTR>(info->lpszText);
        return text == 0 || text == static_cast<ULONG_PTR>(-1) || text <= 0xFFFF ? std::wstring() : info->lpszText;
    }

    bool Add(const TTTOOLINFOW* info) {
        if (info == nullptr || info->cbSize < sizeof(TTTOOLINFOW)) return false;
        Tool tool {info->hwnd, info->uId, info->uFlags, info->rect, TextOf(info), nullptr};
        HWND shown = (info->uFlags & TTF_IDISHWND) != 0 ? reinterpret_cast<HWND>(info->uId) : info->hwnd;
        if (QWidget* widget = HostWidget(shown)) {
            tool.watched = widget;
            widget->installEventFilter(&filter_);
        }
        tools_.push_back(std::move(tool));
        return true;
    }

    Tool* Find(const TTTOOLINFOW* info) {
        if (info == nullptr) return nullptr;
        for (Tool& tool : tools_) {
            if (tool.window == info->hwnd && tool.id == info->uId) return &tool;
        }
        return nullptr;
    }

    ToolTipFilter filter_;
    std::vector<Tool> tools_;
    bool active_ = true;
};

bool ToolTipFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip) return false;
    auto* help = static_cast<QHelpEvent*>(event);
    const std::wstring text = owner_.TextAt(watched, help->pos());
    if (text.empty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(help->globalPos(), QString::fromStdWString(text), qobject_cast<QWidget*>(watched));
    }
    return true;
}

}  // namespace

std::unique_ptr<Control> MakeToolTips(HWND window) {
    return std::make_unique<ToolTips>(window);
}

}  // namespace movanta::ui
