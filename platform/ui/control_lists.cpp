// List boxes and drop-down combo boxes: texts with a value each and one
// selected item. The user's choice notifies the parent; a choice made by
// message does not. A combo box's window is as tall as its selection field;
// the height asked for when it is made or sized is the extent of the field
// with its dropped list (CB_GETDROPPEDCONTROLRECT).
#include <QComboBox>
#include <QListWidget>
#include <algorithm>
#include <string>
#include <vector>

#include "ui/control.h"
#include "win/text.h"

namespace movanta::ui {
namespace {

// The message numbers of one family (LB_* or CB_*).
struct ListMessages {
    UINT add, insert, remove, reset, setSelection, getSelection, getText, getTextLength, count, getData, setData;
    WORD selectionChanged;
    LRESULT error;
};

constexpr ListMessages kListBox {LB_ADDSTRING,    0x0181 /* LB_INSERTSTRING */,
                                 LB_DELETESTRING, LB_RESETCONTENT,
                                 LB_SETCURSEL,    LB_GETCURSEL,
                                 LB_GETTEXT,      LB_GETTEXTLEN,
                                 LB_GETCOUNT,     LB_GETITEMDATA,
                                 LB_SETITEMDATA,  LBN_SELCHANGE,
                                 LB_ERR};
constexpr ListMessages kComboBox {CB_ADDSTRING,   CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT, CB_SETCURSEL,
                                  CB_GETCURSEL,   CB_GETLBTEXT,    CB_GETLBTEXTLEN, CB_GETCOUNT,     CB_GETITEMDATA,
                                  CB_SETITEMDATA, CBN_SELCHANGE,   CB_ERR};

struct Item {
    std::wstring text;
    LPARAM data = 0;
};

// The items and selection, and the messages on them both families share.
class ItemList : public Control {
public:
    ItemList(HWND window, const ListMessages& messages) : Control(window), messages_(messages) {}

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        const ListMessages& m = messages_;
        const auto index = static_cast<LONG_PTR>(static_cast<int>(wParam));
        const bool valid = index >= 0 && static_cast<size_t>(index) < items_.size();
        if (message == m.add || message == m.insert) {
            const std::wstring text = lParam == 0 ? L"" : reinterpret_cast<LPCWSTR>(lParam);
            const size_t at = message == m.add || index < 0 || static_cast<size_t>(index) > items_.size()
                                  ? items_.size()
                                  : static_cast<size_t>(index);
            items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), Item {text, 0});
            if (selected_ >= static_cast<int>(at)) ++selected_;
            Inserted(static_cast<int>(at), text);
            return static_cast<LRESULT>(at);
        }
        if (message == m.remove) {
            if (!valid) return m.error;
            items_.erase(items_.begin() + index);
            if (selected_ == index) selected_ = -1;
            if (selected_ > index) --selected_;
            Removed(static_cast<int>(index));
            return static_cast<LRESULT>(items_.size());
        }
        if (message == m.reset) {
            items_.clear();
            selected_ = -1;
            Removed(-1);
            return 0;
        }
        if (message == m.setSelection) {
            selected_ = valid ? static_cast<int>(index) : -1;
            ShowSelection();
            return valid ? index : m.error;
        }
        if (message == m.getSelection) return selected_ < 0 ? m.error : selected_;
        if (message == m.getText) {
            if (!valid || lParam == 0) return m.error;
            const std::wstring& text = items_[static_cast<size_t>(index)].text;
            return static_cast<LRESULT>(CopyToBuffer(text, reinterpret_cast<LPWSTR>(lParam), text.size() + 1));
        }
        if (message == m.getTextLength) return valid ? static_cast<LRESULT>(items_[index].text.size()) : m.error;
        if (message == m.count) return static_cast<LRESULT>(items_.size());
        if (message == m.getData) return valid ? items_[static_cast<size_t>(index)].data : m.error;
        if (message == m.setData) {
            if (!valid) return m.error;
            items_[static_cast<size_t>(index)].data = lParam;
            return 0;
        }
        return HandleMore(message, wParam, lParam, handled);
    }

protected:
    virtual LRESULT HandleMore(UINT, WPARAM, LPARAM, bool& handled) {
        handled = false;
        return 0;
    }
    // The widget follows: an item was inserted, removed (-1: all) or chosen.
    virtual void Inserted(int index, const std::wstring& text) = 0;
    virtual void Removed(int index) = 0;
    virtual void ShowSelection() = 0;

    // The user chose an item in the widget.
    void UserSelected(int index) {
        if (index == selected_ || index >= static_cast<int>(items_.size())) return;
        selected_ = index;
        Notify(messages_.selectionChanged);
    }

    const ListMessages& messages_;
    std::vector<Item> items_;
    int selected_ = -1;
};

class ListBox final : public ItemList {
public:
    explicit ListBox(HWND window) : ItemList(window, kListBox) {}

    QWidget* MakeWidget(QWidget* host) override {
        list_ = new QListWidget(host);
        for (const Item& item : items_) list_->addItem(QString::fromStdWString(item.text));
        QObject::connect(list_, &QListWidget::currentRowChanged, list_, [this](int row) {
            if (!updating_) UserSelected(row);
        });
        return list_;
    }

private:
    void Inserted(int index, const std::wstring& text) override {
        if (list_ != nullptr) Quietly([&] { list_->insertItem(index, QString::fromStdWString(text)); });
    }
    void Removed(int index) override {
        if (list_ == nullptr) return;
        Quietly([&] {
            if (index < 0) {
                list_->clear();
            } else {
                delete list_->takeItem(index);
            }
        });
    }
    void ShowSelection() override {
        if (list_ != nullptr) Quietly([&] { list_->setCurrentRow(selected_); });
    }
    template <class F>
    void Quietly(F change) {
        updating_ = true;
        change();
        updating_ = false;
    }

    QListWidget* list_ = nullptr;
    bool updating_ = false;
};

class ComboBox final : public ItemList {
public:
    explicit ComboBox(HWND window) : ItemList(window, kComboBox) {}

    QWidget* MakeWidget(QWidget* host) override {
        combo_ = new QComboBox(host);
        combo_->setEditable((Style() & CBS_DROPDOWNLIST) == CBS_DROPDOWN);
        for (const Item& item : items_) combo_->addItem(QString::fromStdWString(item.text));
        combo_->setCurrentIndex(selected_);
        ShowDroppedHeight();
        QObject::connect(combo_, &QComboBox::activated, combo_, [this](int index) { UserSelected(index); });
        return combo_;
    }

private:
    LRESULT HandleMore(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        switch (message) {
            case WM_CREATE: {
                const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
                if (create != nullptr) {
                    droppedHeight_ = create->cy;
                    SetWindowPos(window_, nullptr, 0, 0, create->cx, FieldHeight(),
                                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
                }
                return 0;
            }
            case WM_WINDOWPOSCHANGING: {
                auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
                if (position != nullptr && (position->flags & SWP_NOSIZE) == 0) {
                    if (position->cy != FieldHeight()) droppedHeight_ = position->cy;
                    position->cy = FieldHeight();
                    ShowDroppedHeight();
                }
                handled = false;
                return 0;
            }
            case CB_GETDROPPEDCONTROLRECT: {
                auto* rect = reinterpret_cast<RECT*>(lParam);
                if (rect == nullptr || !GetWindowRect(window_, rect)) return CB_ERR;
                rect->bottom = rect->top + std::max(droppedHeight_, FieldHeight());
                return TRUE;
            }
            case CB_GETITEMHEIGHT: return itemHeight_;
            case CB_SETITEMHEIGHT:
                if (lParam <= 0 || lParam > 255) return CB_ERR;
                itemHeight_ = static_cast<int>(lParam);
                ShowDroppedHeight();
                return 0;
            case CB_GETDROPPEDWIDTH: return droppedWidth_;
            case CB_SETDROPPEDWIDTH:
                droppedWidth_ = static_cast<int>(std::min<WPARAM>(wParam, 32767));
                if (combo_ != nullptr) combo_->view()->setMinimumWidth(droppedWidth_);
                return droppedWidth_;
            default: return ItemList::HandleMore(message, wParam, lParam, handled);
        }
    }
    void Inserted(int index, const std::wstring& text) override {
        if (combo_ != nullptr) combo_->insertItem(index, QString::fromStdWString(text));
    }
    void Removed(int index) override {
        if (combo_ == nullptr) return;
        if (index < 0) {
            combo_->clear();
        } else {
            combo_->removeItem(index);
        }
    }
    void ShowSelection() override {
        if (combo_ != nullptr) combo_->setCurrentIndex(selected_);
    }

    // The selection field: an item with a 3-pixel edge above and below.
    int FieldHeight() const { return itemHeight_ + 6; }
    void ShowDroppedHeight() {
        if (combo_ != nullptr) combo_->setMaxVisibleItems(std::max(1, droppedHeight_ / itemHeight_));
    }

    QComboBox* combo_ = nullptr;
    int itemHeight_ = 16;
    int droppedWidth_ = 0;
    int droppedHeight_ = 0;
};

}  // namespace

std::unique_ptr<Control> MakeListBox(HWND window) {
    return std::make_unique<ListBox>(window);
}

std::unique_ptr<Control> MakeComboBox(HWND window) {
    return std::make_unique<ComboBox>(window);
}

}  // namespace movanta::ui
