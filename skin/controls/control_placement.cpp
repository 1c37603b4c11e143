// Keeping the control manager's windows in step with the canvas: placed
// after every layout, moved with it, shown, hidden, enabled and disabled
// with it.
#include <string>

#include "afxwin/wnd.h"
#include "skin/controls/control_manager.h"
#include "ui/controls.h"

namespace {

// Moves of three windows or more go as one deferred batch.
constexpr size_t kBatchFrom = 3;

bool IsClass(HWND window, std::wstring_view name) {
    WCHAR buffer[64] {};
    const int length = GetClassNameW(window, buffer, 64);
    return std::wstring_view(buffer, static_cast<size_t>(length > 0 ? length : 0)) == name;
}

// Lists draw a frame that must follow a change of size.
bool HasFrame(HWND window) {
    return IsClass(window, WC_LISTBOX) || IsClass(window, WC_LISTVIEW) || IsClass(window, WC_TREEVIEW);
}

}  // namespace

void CzControlManager::MarkUnresolved() {
    for (const Entry& entry : m_entries) entry.location->m_resolved = false;
}

void CzControlManager::SetSplitterRanges(CSize canvas) {
    for (CzSplitterRecord* splitter : m_splitters) splitter->SetExtent(canvas);
}

bool CzControlManager::PlaceOf(HWND window, const CRect& current, const CPoint& origin, Move& move) const {
    const bool popup = CzIsPopupWindow(window);
    CRect target = current;
    if (popup) target.OffsetRect(origin.x, origin.y);
    CRect now;
    GetWindowRect(window, &now);
    if (!popup) {
        // A child's place is in its parent's client coordinates.
        CPoint corner(now.left, now.top);
        ScreenToClient(GetParent(window), &corner);
        now.OffsetRect(corner.x - now.left, corner.y - now.top);
    }
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (IsClass(window, WC_COMBOBOX)) {
        // A combo box keeps the extent of its dropped list.
        RECT dropped {};
        SendMessageW(window, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
        target.bottom = target.top + (dropped.bottom - dropped.top);
        now.bottom = now.top + (dropped.bottom - dropped.top);
    }
    if (target.Size() == now.Size()) flags |= SWP_NOSIZE;
    if (target.TopLeft() == now.TopLeft()) flags |= SWP_NOMOVE;
    if ((flags & (SWP_NOSIZE | SWP_NOMOVE)) == (SWP_NOSIZE | SWP_NOMOVE)) return false;
    if (HasFrame(window) && (flags & SWP_NOSIZE) == 0) flags |= SWP_FRAMECHANGED;
    move = {window, target, flags};
    return true;
}

void CzControlManager::Apply(const std::vector<Move>& moves) {
    if (moves.size() >= kBatchFrom) {
        HDWP batch = BeginDeferWindowPos(static_cast<int>(moves.size()));
        for (const Move& move : moves) {
            if (batch == nullptr) break;
            batch = DeferWindowPos(batch, move.window, nullptr, move.rect.left, move.rect.top, move.rect.Width(),
                                   move.rect.Height(), move.flags);
        }
        if (batch != nullptr) {
            EndDeferWindowPos(batch);
            return;
        }
    }
    for (const Move& move : moves) {
        SetWindowPos(move.window, nullptr, move.rect.left, move.rect.top, move.rect.Width(), move.rect.Height(),
                     move.flags);
    }
}

void CzControlManager::Place(bool all, CPoint origin) {
    std::vector<Move> moves;
    for (const Entry& entry : m_entries) {
        CzLocation& location = *entry.location;
        if (entry.splitter) {
            CzSplitterRecord& splitter = *entry.splitter;
            if (splitter.m_largest < splitter.Centre()) splitter.MoveBy(splitter.m_largest - splitter.Centre());
            splitter.Resolve();
            continue;
        }
        if (entry.control && entry.control->m_attached) continue;  // placed by its own canvas
        HWND window = entry.Window();
        if (window == nullptr || !IsWindow(window) || (!all && !IsWindowVisible(window))) continue;
        location.Resolve();
        Move move {};
        if (PlaceOf(window, location.m_current, origin, move)) moves.push_back(move);
    }
    Apply(moves);
    PlaceUpDowns();
}

void CzControlManager::PlaceUpDowns() const {
    for (const Entry& entry : m_entries) {
        if (entry.Control() == nullptr) continue;
        HWND upDown = entry.Window();
        if (!IsWindow(upDown) || !IsClass(upDown, UPDOWN_CLASS)) continue;
        HWND buddy = reinterpret_cast<HWND>(SendMessageW(upDown, UDM_GETBUDDY, 0, 0));
        if (buddy == nullptr || !IsWindow(buddy)) continue;
        CRect buddyRect;
        GetWindowRect(buddy, &buddyRect);
        CRect own;
        GetWindowRect(upDown, &own);
        CPoint place(0, buddyRect.top);
        if ((static_cast<DWORD>(GetWindowLongW(upDown, GWL_STYLE)) & UDS_ALIGNLEFT) != 0) {
            place.x = buddyRect.left - own.Width();
        } else {
            CRect client;
            GetClientRect(buddy, &client);
            CPoint right(client.right, 0);
            ClientToScreen(buddy, &right);
            place.x = right.x;
        }
        if (!CzIsPopupWindow(upDown)) ScreenToClient(GetParent(upDown), &place);
        SetWindowPos(upDown, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CzControlManager::Follow(CSize offset) {
    std::vector<Move> moves;
    for (const Entry& entry : m_entries) {
        HWND window = entry.Window();
        if (window == nullptr || !IsWindow(window) || !CzIsPopupWindow(window) || !IsWindowVisible(window)) continue;
        CRect rect;
        GetWindowRect(window, &rect);
        rect.OffsetRect(offset.cx, offset.cy);
        moves.push_back({window, rect, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE});
    }
    Apply(moves);
    PlaceUpDowns();
}

void CzControlManager::ShowWith(bool shown) {
    for (const Entry& entry : m_entries) {
        if (const CzCanvasRecord* embedded = entry.Embedded()) {
            embedded->m_window->ShowWindow(shown && embedded->m_visible ? SW_SHOWNA : SW_HIDE);
        } else if (const CzControlRecord* control = entry.Control()) {
            if (!IsWindow(control->m_window) || !CzIsPopupWindow(control->m_window)) continue;
            ShowWindow(control->m_window, shown && control->m_visible ? SW_SHOWNA : SW_HIDE);
        }
    }
}

void CzControlManager::EnableWith(bool enabled) {
    for (const Entry& entry : m_entries) {
        if (const CzCanvasRecord* embedded = entry.Embedded()) {
            if (embedded->m_visible) embedded->m_window->EnableWindow(enabled && embedded->m_enabled);
        } else if (const CzControlRecord* control = entry.Control();
                   control != nullptr && IsWindow(control->m_window)) {
            EnableWindow(control->m_window, enabled && control->m_enabled);
        }
    }
}

bool CzControlManager::EnableControl(UINT id, bool enable) {
    for (const Entry& entry : m_entries) {
        CzCanvasRecord* embedded = entry.Embedded();
        if (id == static_cast<UINT>(-1) && embedded != nullptr) {
            embedded->m_enabled = enable;
            embedded->m_window->EnableWindow(enable);
            return true;
        }
        if (CzControlRecord* control = entry.Control(); control != nullptr && control->m_id == id) {
            control->m_enabled = enable;
            EnableWindow(control->m_window, enable);
            return true;
        }
    }
    return false;
}

bool CzControlManager::ShowControl(UINT id, bool show) {
    const bool canvasShown = m_canvas.IsWindowVisible() != FALSE;
    for (const Entry& entry : m_entries) {
        CzCanvasRecord* embedded = entry.Embedded();
        if (id == static_cast<UINT>(-1) && embedded != nullptr) {
            embedded->m_visible = show;
            embedded->m_window->ShowWindow(show && canvasShown ? SW_SHOWNA : SW_HIDE);
            return true;
        }
        if (CzControlRecord* control = entry.Control(); control != nullptr && control->m_id == id) {
            control->m_visible = show;
            // A popup shows only over a canvas on the screen.
            const bool visible = show && (canvasShown || !CzIsPopupWindow(control->m_window));
            ShowWindow(control->m_window, visible ? SW_SHOWNA : SW_HIDE);
            return true;
        }
    }
    return false;
}

void CzControlManager::RepaintPopups() const {
    for (const Entry& entry : m_entries) {
        HWND window = entry.Window();
        if (window != nullptr && IsWindow(window) && CzIsPopupWindow(window)) {
            RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        }
    }
}
