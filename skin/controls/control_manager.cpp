#include "skin/controls/control_manager.h"

#include <algorithm>
#include <cstdlib>

#include "afxwin/app.h"
#include "afxwin/wnd.h"
#include "gdi/metrics.h"
#include "skin/canvas/canvas_core.h"
#include "skin/canvas/canvas_registry.h"
#include "skin/package/skin_package.h"
#include "skin/package/skin_parser.h"
#include "ui/controls.h"

namespace {

constexpr int kComboItems = 10;
constexpr int kFontMargin = 8;

}  // namespace

HWND CzControlManager::Entry::Window() const {
    if (const CzCanvasRecord* embedded = Embedded()) return embedded->m_window->GetSafeHwnd();
    return control ? control->m_window : nullptr;
}

CzControlManager::~CzControlManager() {
    for (const Entry& entry : m_entries) {
        CzCanvasRecord* embedded = entry.Embedded();
        if (embedded == nullptr) continue;
        embedded->m_refs.RemoveAll();
        embedded->m_host = nullptr;
    }
}

CzCanvasRecord* CzControlManager::Record() const {
    return CzCanvasRegistry::Find(m_canvas.GetSafeHwnd());
}

bool CzControlManager::PerPixel() const {
    const CzCanvasRecord* record = Record();
    return record != nullptr && record->m_perPixel && (m_canvas.GetExStyle() & WS_EX_LAYERED) != 0;
}

void CzControlManager::TakeRefs(CzLocation& item, const CRect& pos, const CArray<CzRefObj>& refs) const {
    item.m_design = pos;
    item.m_current = pos;
    for (int i = 0; i < refs.GetSize(); ++i) {
        CzRefObj reference = refs[i];
        if (reference.m_pRef == nullptr) reference.m_pRef = Record();
        item.m_refs.Add(reference);
    }
}

std::unique_ptr<CzControlRecord> CzControlManager::NewRecord(HWND window, DWORD style, const CRect& pos,
                                                             const CArray<CzRefObj>& refs, UINT id) const {
    auto record = std::make_unique<CzControlRecord>();
    TakeRefs(*record, pos, refs);
    record->m_window = window;
    record->m_id = id;
    record->m_enabled = IsWindowEnabled(window) != FALSE;
    record->m_visible = (style & WS_VISIBLE) != 0;
    return record;
}

CzControlRecord* CzControlManager::Add(std::unique_ptr<CzControlRecord> record) {
    CzControlRecord* added = record.get();
    m_entries.push_back({added, std::move(record), nullptr});
    return added;
}

void CzControlManager::Remove(size_t index) {
    if (m_entries[index].splitter) std::erase(m_splitters, m_entries[index].splitter.get());
    if (CzCanvasRecord* embedded = m_entries[index].Embedded()) embedded->m_host = nullptr;
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
}

HWND CzControlManager::CreateControl(DWORD exStyle, LPCWSTR className, LPCWSTR text, DWORD style, const CRect& pos,
                                     const CArray<CzRefObj>& refs, UINT id, int font) {
    HWND canvas = m_canvas.GetSafeHwnd();
    const bool perPixel = PerPixel();
    const bool popup = perPixel || (style & WS_POPUP) != 0;
    HWND window = nullptr;
    if (popup) {
        const DWORD popupStyle =
            (style & ~(WS_POPUP | WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE)) | WS_POPUP | WS_CLIPCHILDREN;
        window = CreateWindowExW(exStyle | WS_EX_NOPARENTNOTIFY, className, text, popupStyle, pos.left, pos.top,
                                 pos.Width(), pos.Height(), canvas, nullptr, AfxGetInstanceHandle(), nullptr);
    } else {
        const DWORD childStyle = (style & ~(WS_POPUP | WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN)) | WS_CHILD |
                                 WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        window =
            CreateWindowExW(exStyle, className, text, childStyle, pos.left, pos.top, pos.Width(), pos.Height(), canvas,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), AfxGetInstanceHandle(), nullptr);
    }
    if (window == nullptr) return nullptr;
    std::unique_ptr<CzControlRecord> made = NewRecord(window, style, pos, refs, id);
    if (perPixel) {
        made->m_previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CzPopupControlProcedure)));
        m_subclassed = true;
    }
    CzControlRecord& record = *Add(std::move(made));
    m_popup = m_popup || popup;
    if (popup && !perPixel && (m_canvas.GetStyle() & WS_CHILD) != 0) {
        // A popup of a child canvas moves, shows and hides with the window
        // that holds the canvas.
        const CzCanvasRecord* host = CzCanvasRegistry::Find(GetParent(canvas));
        if (host == nullptr || host->m_core == nullptr ||
            !host->m_core->Controls().AttachControl(window, style, pos, refs, id)) {
            RemoveControl(window);
            if (IsWindow(window)) DestroyWindow(window);
            return nullptr;
        }
    }
    SetFont(record, font, pos);
    if (std::wstring_view(className) == WC_COMBOBOX) {
        const auto itemHeight = static_cast<int>(SendMessageW(window, CB_GETITEMHEIGHT, 0, 0));
        SetWindowPos(window, nullptr, 0, 0, pos.Width(), itemHeight * kComboItems,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (popup && record.m_visible && m_canvas.IsWindowVisible()) {
        // A canvas already on the screen shows its new popup at once.
        CPoint origin(0, 0);
        m_canvas.ClientToScreen(&origin);
        SetWindowPos(window, nullptr, origin.x + pos.left, origin.y + pos.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    return window;
}

void CzControlManager::SetFont(CzControlRecord& record, int font, const CRect& pos) const {
    if (font >= 0) {
        CFont* shared = CzSkinParser::fnGetPackage().fnGetFont(font);
        HGDIOBJ handle = shared != nullptr ? shared->GetSafeHandle() : nullptr;
        SendMessageW(record.m_window, WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
        return;
    }
    LOGFONTW logFont {};
    if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(logFont), &logFont, 0)) return;
    // The font fits the control with 4 pixels above and below; a control
    // too small for that still gets a font a pixel high.
    const int room = std::max(1, pos.Height() - kFontMargin);
    logFont.lfHeight = -std::min(std::abs(logFont.lfHeight), room);
    record.m_font = CreateFontIndirectW(&logFont);
    if (record.m_font != nullptr) {
        SendMessageW(record.m_window, WM_SETFONT, reinterpret_cast<WPARAM>(record.m_font), TRUE);
    }
}

bool CzControlManager::CreateSlot(const CRect& pos, const CArray<CzRefObj>& refs, const CString& name) {
    auto slot = std::make_unique<CzControlRecord>();
    slot->m_kind = LOCATION_SLOT;
    slot->m_id = static_cast<UINT>(-1);
    slot->m_name = name;
    TakeRefs(*slot, pos, refs);
    Add(std::move(slot));
    return true;
}

bool CzControlManager::CreateSplitter(const CRect& pos, const CArray<CzRefObj>& refs, UINT id, int first, int second) {
    const CzCanvasRecord* canvas = Record();
    if (canvas == nullptr) return false;
    auto splitter = std::make_unique<CzSplitterRecord>();
    TakeRefs(*splitter, pos, refs);
    splitter->m_id = id;
    splitter->m_first = first;
    splitter->m_second = second;
    splitter->SetExtent(canvas->m_design.Size());
    m_splitters.push_back(splitter.get());
    CzSplitterRecord* location = splitter.get();
    m_entries.push_back({location, nullptr, std::move(splitter)});
    return true;
}

bool CzControlManager::AttachControl(HWND window, DWORD style, const CRect& pos, const CArray<CzRefObj>& refs,
                                     UINT id) {
    if (!IsWindow(window)) return false;
    std::unique_ptr<CzControlRecord> record = NewRecord(window, style, pos, refs, id);
    record->m_attached = true;
    Add(std::move(record));
    m_popup = m_popup || CzIsPopupWindow(window);
    return true;
}

void CzControlManager::EmbedWindow(HWND canvas, const CString& name) {
    CzCanvasRecord* embedded = CzCanvasRegistry::Find(canvas);
    if (embedded == nullptr || canvas == m_canvas.GetSafeHwnd()) return;
    for (int i = 0; i < embedded->m_refs.GetSize(); ++i) {
        if (embedded->m_refs[i].m_pRef == nullptr) {
            embedded->m_refs[i].m_pRef = Record();
            break;
        }
    }
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const CzControlRecord* slot = m_entries[i].control.get();
        if (slot == nullptr || slot->m_kind != LOCATION_SLOT || slot->m_name != name) continue;
        for (int r = 0; r < slot->m_refs.GetSize(); ++r) embedded->m_refs.Add(slot->m_refs[r]);
        Remove(i);
        break;
    }
    embedded->m_host = m_canvas.GetSafeHwnd();
    embedded->m_resolved = false;
    m_entries.push_back({embedded, nullptr, nullptr});
    m_popup = m_popup || CzIsPopupWindow(canvas);
}

void CzControlManager::RemoveControl(HWND window) {
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (window != nullptr && m_entries[i].Window() == window) {
            Remove(i);
            return;
        }
    }
}

CzLocation* CzControlManager::Find(int kind, UINT id) const {
    for (const Entry& entry : m_entries) {
        CzControlRecord* control = entry.Control();
        if (kind == LOCATION_CONTROL && control != nullptr && control->m_id == id) return control;
        if (kind == LOCATION_SPLITTER && entry.splitter && entry.splitter->m_id == id) return entry.splitter.get();
    }
    return nullptr;
}

HWND CzControlManager::ItemWindow(UINT id, bool& found) const {
    found = false;
    for (const Entry& entry : m_entries) {
        const CzControlRecord* control = entry.Control();
        if ((control != nullptr && control->m_id == id) ||
            (id == static_cast<UINT>(-1) && entry.Embedded() != nullptr)) {
            found = true;
            return IsWindow(entry.Window()) ? entry.Window() : nullptr;
        }
    }
    return nullptr;
}

bool CzControlManager::ControlId(HWND window, UINT& id) const {
    for (const Entry& entry : m_entries) {
        const CzControlRecord* control = entry.Control();
        if (control != nullptr && control->m_window == window && CzIsPopupWindow(window)) {
            id = control->m_id;
            return true;
        }
    }
    return false;
}

WNDPROC CzControlManager::PreviousProcedure(HWND window) const {
    if (!m_subclassed) return nullptr;
    for (const Entry& entry : m_entries) {
        if (entry.control && entry.control->m_window == window) return entry.control->m_previous;
    }
    return nullptr;
}

void CzControlManager::DestroyPopups() {
    std::vector<HWND> popups;
    for (const Entry& entry : m_entries) {
        if (entry.control && entry.control->m_attached) continue;  // its own canvas destroys it
        HWND window = entry.Window();
        if (window != nullptr && IsWindow(window) && CzIsPopupWindow(window)) popups.push_back(window);
    }
    // An embedded canvas takes itself out of the list as it goes.
    for (HWND window : popups) {
        if (IsWindow(window)) DestroyWindow(window);
    }
}
