// List views (rows of texts, one selectable) and tree views (texts in a
// hierarchy).
#include <QListWidget>
#include <QTreeWidget>
#include <map>
#include <string>
#include <vector>

#include "ui/control.h"
#include "win/text.h"

namespace movanta::ui {
namespace {

class ListView final : public Control {
public:
    using Control::Control;

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        const auto index = static_cast<int>(wParam);
        const bool valid = index >= 0 && static_cast<size_t>(index) < rows_.size();
        switch (message) {
            case LVM_GETITEMCOUNT: return static_cast<LRESULT>(rows_.size());
            case LVM_DELETEALLITEMS:
                rows_.clear();
                selected_ = -1;
                if (list_ != nullptr) list_->clear();
                return TRUE;
            case LVM_INSERTITEMW: {
                const auto* item = reinterpret_cast<const LVITEMW*>(lParam);
                if (item == nullptr) return -1;
                const std::wstring text =
                    (item->mask & LVIF_TEXT) != 0 && item->pszText != nullptr ? item->pszText : L"";
                const size_t at = std::clamp<size_t>(static_cast<size_t>(std::max(item->iItem, 0)), 0, rows_.size());
                rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), text);
                if (list_ != nullptr) list_->insertItem(static_cast<int>(at), QString::fromStdWString(text));
                return static_cast<LRESULT>(at);
            }
            case LVM_GETITEMTEXTW: {
                auto* item = reinterpret_cast<LVITEMW*>(lParam);
                if (!valid || item == nullptr || item->pszText == nullptr || item->cchTextMax <= 0) return 0;
                return static_cast<LRESULT>(CopyToBuffer(rows_[static_cast<size_t>(index)], item->pszText,
                                                         static_cast<size_t>(item->cchTextMax)));
            }
            case LVM_GETNEXTITEM: return (lParam & LVNI_SELECTED) != 0 && selected_ > index ? selected_ : -1;
            default: handled = false; return 0;
        }
    }

    QWidget* MakeWidget(QWidget* host) override {
        list_ = new QListWidget(host);
        for (const std::wstring& row : rows_) list_->addItem(QString::fromStdWString(row));
        QObject::connect(list_, &QListWidget::currentRowChanged, list_, [this](int row) {
            selected_ = row;
            NMHDR header {};
            NotifyWith(header, LVN_ITEMCHANGED);
        });
        return list_;
    }

private:
    std::vector<std::wstring> rows_;
    int selected_ = -1;
    QListWidget* list_ = nullptr;
};

class TreeView final : public Control {
public:
    using Control::Control;

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        switch (message) {
            case TVM_INSERTITEMW: return Insert(reinterpret_cast<const TVINSERTSTRUCTW*>(lParam));
            case TVM_DELETEITEM: return Delete(reinterpret_cast<HTREEITEM>(lParam)) ? TRUE : FALSE;
            case TVM_GETCOUNT: return static_cast<LRESULT>(nodes_.size());
            default:
                static_cast<void>(wParam);
                handled = false;
                return 0;
        }
    }

    QWidget* MakeWidget(QWidget* host) override {
        tree_ = new QTreeWidget(host);
        tree_->setHeaderHidden(true);
        return tree_;
    }

private:
    struct Node {
        ULONG_PTR parent;
        QTreeWidgetItem* shown;
    };

    LRESULT Insert(const TVINSERTSTRUCTW* insert) {
        if (insert == nullptr) return 0;
        auto parent = reinterpret_cast<ULONG_PTR>(insert->hParent);
        if (insert->hParent == TVI_ROOT || insert->hParent == nullptr) parent = 0;
        if (parent != 0 && nodes_.count(parent) == 0) return 0;
        const QString text = (insert->item.mask & TVIF_TEXT) != 0 && insert->item.pszText != nullptr
                                 ? QString::fromWCharArray(insert->item.pszText)
                                 : QString();
        QTreeWidgetItem* shown = nullptr;
        if (tree_ != nullptr) {
            shown =
                parent == 0 ? new QTreeWidgetItem(tree_, {text}) : new QTreeWidgetItem(nodes_[parent].shown, {text});
        }
        const ULONG_PTR id = next_++;
        nodes_[id] = {parent, shown};
        return static_cast<LRESULT>(id);
    }

    bool Delete(HTREEITEM item) {
        const auto id = reinterpret_cast<ULONG_PTR>(item);
        if (item == TVI_ROOT || item == nullptr) {
            nodes_.clear();
            if (tree_ != nullptr) tree_->clear();
            return true;
        }
        auto it = nodes_.find(id);
        if (it == nodes_.end()) return false;
        std::vector<ULONG_PTR> children;
        for (const auto& [other, node] : nodes_) {
            if (node.parent == id) children.push_back(other);
        }
        for (ULONG_PTR child : children) Delete(reinterpret_cast<HTREEITEM>(child));
        delete nodes_[id].shown;
        nodes_.erase(id);
        return true;
    }

    std::map<ULONG_PTR, Node> nodes_;
    ULONG_PTR next_ = 1;
    QTreeWidget* tree_ = nullptr;
};

}  // namespace

std::unique_ptr<Control> MakeListView(HWND window) {
    return std::make_unique<ListView>(window);
}

std::unique_ptr<Control> MakeTreeView(HWND window) {
    return std::make_unique<TreeView>(window);
}

}  // namespace movanta::ui
