#include "skin/canvas/canvas_core.h"

#include <algorithm>
#include <vector>

#include <utility>

#include "gdi/metrics.h"
#include "skin/canvas/canvas_registry.h"
#include "skin/canvas/picture_format.h"
#include "skin/package/skin_package.h"
#include "skin/package/skin_parser.h"

const UINT CZ_MSG_POPUP_PROCEDURE = RegisterWindowMessageW(L"29055C4E-DAA9-496a-AC6F-A524131E9F9D");
const UINT CZ_MSG_UPDATE_CONTROLS = RegisterWindowMessageW(L"B9E66011-923E-44B8-8812-DFE24227F3E9");

namespace {

constexpr int kSizingBand = 10;

// The composition as the layered picture wants it: 32 bits, premultiplied.
HBITMAP Premultiplied(const movanta::gdi::Bitmap& composition) {
    std::uint32_t* pixels = nullptr;
    HBITMAP picture = skinkit::NewPicture32(CSize(composition.width, composition.height), pixels);
    if (picture == nullptr) return nullptr;
    const bool alpha = composition.bitCount == 32;
    for (int y = 0; y < composition.height; ++y) {
        for (int x = 0; x < composition.width; ++x) {
            const std::uint32_t pixel = composition.Read(x, y);
            const std::uint32_t a = alpha ? pixel >> 24 : 255;
            const auto scale = [a](std::uint32_t c) { return (c * a + 127) / 255; };
            pixels[y * composition.width + x] = (a << 24) | (scale((pixel >> 16) & 0xFF) << 16) |
                                                (scale((pixel >> 8) & 0xFF) << 8) | scale(pixel & 0xFF);
        }
    }
    return picture;
}

}  // namespace

bool CzCanvasCore::Register() {
    CzCanvasRecord* record = CzCanvasRegistry::Register(&m_window);
    if (record == nullptr) return false;
    record->m_core = this;
    return true;
}

void CzCanvasCore::Unregister() {
    m_buttonManager.reset();
    m_statics.reset();
    m_controls.reset();
    HWND window = m_window.GetSafeHwnd();
    const CzCanvasRecord* record = Record();
    const CzCanvasRecord* host = record != nullptr ? CzCanvasRegistry::Find(record->m_host) : nullptr;
    if (host != nullptr && host->m_core != nullptr) host->m_core->RemoveCtrl(window);
    CzCanvasRegistry::Unregister(window);
}

CzCanvasRecord* CzCanvasCore::Record() const {
    return CzCanvasRegistry::Find(m_window.GetSafeHwnd());
}

bool CzCanvasCore::IsLayeredWindow() const {
    return (m_window.GetExStyle() & WS_EX_LAYERED) != 0;
}

void CzCanvasCore::SetLocation(const CRect& pos, const CArray<CzRefObj>& refs) {
    CzCanvasRecord* record = Record();
    if (record == nullptr) return;
    record->m_design = pos;
    record->m_current = pos;
    record->m_refs.RemoveAll();
    for (int i = 0; i < refs.GetSize(); ++i) record->m_refs.Add(refs[i]);
    record->m_resolved = false;
    if ((m_window.GetStyle() & WS_CHILD) != 0) m_window.MoveWindow(pos.left, pos.top, pos.Width(), pos.Height());
    m_window.SetWindowPos(nullptr, 0, 0, pos.Width(), pos.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CzCanvasCore::SetCanvas(HBITMAP image, HBITMAP mask, DWORD style, const CRect& grid, bool present) {
    CzCanvasRecord* record = Record();
    if (record == nullptr) return false;
    const CSize before = record->PictureSize();
    if (!record->SetPicture(image, mask, style, grid)) return false;
    record->m_visible = (style & CANVAS_VISIBLE) != 0;
    const CSize after = record->PictureSize();
    CRect window;
    m_window.GetWindowRect(&window);
    CSize size = window.Size();
    if (!m_window.IsZoomed() && before.cx > 0) {
        size = CSize(size.cx + after.cx - before.cx, size.cy + after.cy - before.cy);
    } else if (before.cx == 0) {
        size = after;
    }
    if (!record->Fit(size, (style & CANVAS_RESIZABLE) != 0)) return false;
    RedrawItems();
    if (!(record->m_current.Size() == window.Size())) {
        m_window.SetWindowPos(nullptr, 0, 0, record->m_current.Width(), record->m_current.Height(),
                              SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    record->Resolve();
    PlaceControls(*record, false, WindowOrigin());
    if (present) Present(nullptr, false);
    Refresh(0);
    return true;
}

bool CzCanvasCore::SetAlpha(BYTE alpha, bool present) {
    CzCanvasRecord* record = Record();
    if (record == nullptr) return false;
    const bool unchanged = record->m_alpha == alpha;
    record->m_alpha = alpha;
    if (IsLayeredWindow() && !record->m_perPixel) {
        SetLayeredWindowAttributes(m_window.GetSafeHwnd(), 0, alpha, LWA_ALPHA);
        SetWindowLongPtrW(m_window.GetSafeHwnd(), GWLP_USERDATA, CANVAS_MARKER);
    }
    if (present) Present(nullptr, false);
    return unchanged;
}

BYTE CzCanvasCore::GetAlpha() const {
    const CzCanvasRecord* record = Record();
    return record != nullptr ? record->m_alpha : 255;
}

bool CzCanvasCore::DrawCanvas(const CRect& rect, HBITMAP bitmap, int x, int y, bool present) {
    CzCanvasRecord* record = Record();
    if (record == nullptr || !record->DrawBitmap(rect, bitmap, x, y)) return false;
    if (present) {
        Present(&rect, false);
        m_window.UpdateWindow();
    }
    return true;
}

bool CzCanvasCore::DrawCanvas(LPCWSTR text, const CRect& rect, UINT format, COLORREF colour, CFont* font, bool soft,
                              HBITMAP background, bool present) {
    CzCanvasRecord* record = Record();
    HFONT handle = font != nullptr ? static_cast<HFONT>(font->GetSafeHandle()) : nullptr;
    if (record == nullptr || !record->DrawText(text, rect, format, colour, handle, soft, background)) return false;
    if (present) Present(&rect, false);
    return true;
}

bool CzCanvasCore::DrawIcon(HICON icon, int x, int y, bool present) {
    CzCanvasRecord* record = Record();
    if (record == nullptr || !record->DrawIcon(icon, x, y)) return false;
    if (present) {
        const auto* shape = movanta::gdi::Live<movanta::gdi::Icon>(icon, movanta::gdi::GdiObject::Kind::Icon);
        const CRect area(x, y, x + shape->picture.width, y + shape->picture.height);
        Present(&area, false);
    }
    return true;
}

CFont* CzCanvasCore::GetFont(int index) const {
    return CzSkinParser::fnGetPackage().fnGetFont(index);
}

bool CzCanvasCore::ClearCanvas(const CRect* rect, bool present) {
    CzCanvasRecord* record = Record();
    if (record == nullptr || !record->Clear(rect)) return false;
    if (present && (rect == nullptr || !rect->IsRectEmpty())) Present(rect, false);
    return true;
}

void CzCanvasCore::Refresh(int resolved) {
    if (CzCanvasRecord* record = Record()) record->m_resolved = resolved != 0;
    if (resolved != 0) return;
    if (m_buttonManager) {
        for (const auto& button : m_buttonManager->Buttons()) button->m_resolved = false;
    }
    if (m_statics) {
        for (const auto& item : m_statics->Statics()) item->m_resolved = false;
    }
    if (m_controls) m_controls->MarkUnresolved();
}

BOOL CzCanvasCore::ShowWindow(int command) {
    CzCanvasRecord* record = Record();
    if (record != nullptr) {
        record->m_visible = command != SW_HIDE && command != SW_MINIMIZE && command != SW_SHOWMINIMIZED &&
                            command != SW_SHOWMINNOACTIVE;
        const bool resizable = (record->m_style & CANVAS_RESIZABLE) != 0 && (record->m_style & CANVAS_EMBEDDED) == 0;
        if (resizable && command == SW_MAXIMIZE) m_window.ModifyStyle(WS_THICKFRAME, 0);
        if (resizable && command == SW_RESTORE) m_window.ModifyStyle(0, WS_THICKFRAME);
    }
    return m_window.ShowWindow(command);
}

BOOL CzCanvasCore::EnableWindow(BOOL enable) {
    if (CzCanvasRecord* record = Record()) record->m_enabled = enable != FALSE;
    const BOOL was = m_window.EnableWindow(enable);
    if (m_controls && IsLayeredWindow()) m_controls->EnableWith(enable != FALSE);
    return was;
}

BOOL CzCanvasCore::SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags) {
    if (CzCanvasRecord* record = Record()) {
        CRect& current = record->m_current;
        if ((flags & SWP_NOMOVE) == 0) current.OffsetRect(x - current.left, y - current.top);
        if ((flags & SWP_NOSIZE) == 0) {
            current.right = current.left + cx;
            current.bottom = current.top + cy;
        }
        if (EmbeddedPopup(*record)) {
            // An embedded popup's place is given over its host's client area.
            CPoint origin(x, y);
            ClientToScreen(record->m_host, &origin);
            x = origin.x;
            y = origin.y;
        }
    }
    return m_window.SetWindowPos(after, x, y, cx, cy, flags);
}

CzLocation* CzCanvasCore::GetPtrLocate(int kind, UINT id) const {
    if (kind == LOCATION_CANVAS) return Record();
    if (kind == LOCATION_BUTTON) return m_buttonManager ? m_buttonManager->Find(id) : nullptr;
    if (kind == LOCATION_CONTROL || kind == LOCATION_SPLITTER) return m_controls ? m_controls->Find(kind, id) : nullptr;
    if (kind >= LOCATION_TEXT && kind <= LOCATION_ICON && m_statics) {
        CzStaticRecord* record = m_statics->Find(id);
        return record != nullptr && record->m_kind == kind ? record : nullptr;
    }
    return nullptr;
}

bool CzCanvasCore::Present(const CRect* area, bool withPosition) {
    CzCanvasRecord* record = Record();
    const movanta::gdi::Bitmap* composition = record != nullptr ? skinkit::PictureOf(record->m_composition) : nullptr;
    if (composition == nullptr) return false;
    if (!IsLayeredWindow() || !record->m_perPixel) {
        m_window.InvalidateRect(area, TRUE);
        return true;
    }
    HBITMAP picture = Premultiplied(*composition);
    if (picture == nullptr) return false;
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(source, picture);
    CRect window;
    m_window.GetWindowRect(&window);
    POINT position {window.left, window.top};
    SIZE size {composition->width, composition->height};
    POINT origin {0, 0};
    BLENDFUNCTION blend {AC_SRC_OVER, 0, record->m_alpha, AC_SRC_ALPHA};
    const BOOL shown = UpdateLayeredWindow(m_window.GetSafeHwnd(), nullptr, withPosition ? &position : nullptr, &size,
                                           source, &origin, 0, &blend, ULW_ALPHA);
    SelectObject(source, previous);
    DeleteDC(source);
    DeleteObject(picture);
    return shown != FALSE;
}

LRESULT CzCanvasCore::HitTest(CPoint screen, LRESULT platform) const {
    const CzCanvasRecord* record = Record();
    if (record == nullptr) return platform;
    if (SetSplitterCursor(screen)) return platform;
    const bool buttonDown = (GetKeyState(GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON) & 0x8000) != 0;
    if (buttonDown && platform == HTCLIENT && (record->m_style & CANVAS_EMBEDDED) != 0) return HTTRANSPARENT;
    if ((record->m_style & CANVAS_RESIZABLE) != 0 && !m_window.IsZoomed()) {
        CRect box = record->m_opaque;
        CPoint origin(0, 0);
        m_window.ClientToScreen(&origin);
        box.OffsetRect(origin.x, origin.y);
        CRect inset = box;
        inset.DeflateRect(kSizingBand, kSizingBand);
        if (box.PtInRect(screen) && !inset.PtInRect(screen)) {
            const bool left = screen.x < inset.left;
            const bool right = screen.x >= inset.right;
            const bool top = screen.y < inset.top;
            const bool bottom = screen.y >= inset.bottom;
            if (top && left) return HTTOPLEFT;
            if (top && right) return HTTOPRIGHT;
            if (bottom && right) return HTBOTTOMRIGHT;
            if (bottom && left) return HTBOTTOMLEFT;
            if (left) return HTLEFT;
            if (right) return HTRIGHT;
            return top ? HTTOP : HTBOTTOM;
        }
    }
    if (buttonDown && platform == HTCLIENT && !m_window.IsZoomed()) return HTCAPTION;
    return platform;
}

void CzCanvasCore::GetMinMaxInfo(MINMAXINFO* info) const {
    const CzCanvasRecord* record = Record();
    if (record == nullptr || info == nullptr || record->m_picture == nullptr) return;
    const CSize picture = record->PictureSize();
    info->ptMinTrackSize = {picture.cx, picture.cy};
    RECT work {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // The opaque part fills the work area; what is around it stays outside.
    const CRect opaque = record->PictureOpaque();
    const LONG width = std::max<LONG>(opaque.Width(), work.right - work.left) + (picture.cx - opaque.Width());
    const LONG height = std::max<LONG>(opaque.Height(), work.bottom - work.top) + (picture.cy - opaque.Height());
    info->ptMaxSize = {width, height};
    info->ptMaxTrackSize = {width, height};
    info->ptMaxPosition = {record->m_design.left - opaque.left, record->m_design.top - opaque.top};
}

CPoint CzCanvasCore::WindowOrigin() const {
    CPoint origin(0, 0);
    m_window.ClientToScreen(&origin);
    return origin;
}

bool CzCanvasCore::FitAndPresent(CSize size, bool all, bool withPosition, CPoint origin) {
    CzCanvasRecord* record = Record();
    if (record == nullptr || !record->Fit(size, (m_window.GetStyle() & WS_THICKFRAME) != 0)) return false;
    return Relayout(all, withPosition, origin);
}

void CzCanvasCore::PlaceControls(const CzCanvasRecord& record, bool all, CPoint origin) {
    if (!m_controls) return;
    m_controls->SetSplitterRanges(record.m_current.Size());
    m_controls->MarkUnresolved();
    m_controls->Place(all, origin);
}

bool CzCanvasCore::Relayout(bool all, bool withPosition, CPoint origin) {
    CzCanvasRecord* record = Record();
    if (record == nullptr) return false;
    record->m_resolved = false;
    record->Resolve();
    PlaceControls(*record, all, origin);
    RedrawItems();
    const bool shown = Present(nullptr, withPosition);
    Refresh(0);
    return shown;
}

void CzCanvasCore::PositionChanging(const WINDOWPOS& position) {
    CzCanvasRecord* record = Record();
    if (record == nullptr || record->m_picture == nullptr) return;
    const bool moves = (position.flags & SWP_NOMOVE) == 0;
    // The window's new origin on the screen, for the popups placed over it.
    const CPoint now = WindowOrigin();
    CPoint origin = now;
    if (moves && (m_window.GetStyle() & WS_CHILD) == 0) origin = CPoint(position.x, position.y);
    const CSize size(position.cx, position.cy);
    if ((position.flags & SWP_NOSIZE) == 0 && (size != record->m_current.Size() || record->m_composition == nullptr)) {
        FitAndPresent(size, false, moves, origin);
        return;
    }
    if (origin != now && m_controls && IsLayeredWindow() && record->m_perPixel) {
        m_controls->Follow(CSize(origin.x - now.x, origin.y - now.y));
    }
}

void CzCanvasCore::Showing(BOOL show) {
    CzCanvasRecord* record = Record();
    if (record == nullptr || record->m_picture == nullptr) return;
    if (!show) {
        record->ReleaseComposition();
        if (m_controls && IsLayeredWindow()) m_controls->ShowWith(false);
        return;
    }
    if (EmbeddedPopup(*record)) {
        // A popup embedded in another canvas shows over its place there.
        CPoint origin(record->m_current.left, record->m_current.top);
        ClientToScreen(record->m_host, &origin);
        m_window.SetWindowPos(nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CRect window;
    m_window.GetWindowRect(&window);
    FitAndPresent(window.Size(), true, false, WindowOrigin());
    if (m_controls && IsLayeredWindow()) m_controls->ShowWith(true);
}

bool CzCanvasCore::EmbeddedPopup(const CzCanvasRecord& record) const {
    return record.m_host != nullptr && IsWindow(record.m_host) && (m_window.GetStyle() & WS_CHILD) == 0;
}

BOOL CzCanvasCore::EraseBackground(HDC dc) const {
    const CzCanvasRecord* record = Record();
    if (record == nullptr || record->m_composition == nullptr || dc == nullptr) return FALSE;
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(source, record->m_composition);
    const BOOL copied = BitBlt(dc, 0, 0, record->m_current.Width(), record->m_current.Height(), source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
    return copied;
}

void CzCanvasCore::DisplayChanged() {
    CzCanvasRecord* record = Record();
    if (record == nullptr || record->m_picture == nullptr) return;
    CRect window;
    m_window.GetWindowRect(&window);
    const CSize picture = record->PictureSize();
    FitAndPresent(CSize(std::max(picture.cx, window.Width()), std::max(picture.cy, window.Height())), false, false,
                  WindowOrigin());
}

void CzCanvasCore::Activated(UINT state, BOOL minimized) {
    if (state != WA_INACTIVE && !minimized) CzCanvasRegistry::BringToFront(m_window.GetSafeHwnd());
}

void CzCanvasCore::RedrawItems() {
    if (m_buttonManager) {
        for (const auto& button : m_buttonManager->Buttons()) {
            button->m_resolved = false;
            m_buttonManager->Draw(*button, false);
        }
    }
    if (!m_statics) return;
    for (const auto& item : m_statics->Statics()) {
        item->m_resolved = false;
        item->Resolve();
        DrawStatic(*item, false);
    }
}

void CzCanvasCore::AddStatic(UINT kind, const CRect& pos, const CArray<CzRefObj>& refs, UINT id, HANDLE handle,
                             UINT format, UINT font, COLORREF colour) {
    if (!m_statics) m_statics = std::make_unique<CzStaticManager>();
    auto record = std::make_unique<CzStaticRecord>();
    record->m_kind = static_cast<int>(kind);
    record->m_design = pos;
    record->m_current = pos;
    for (int i = 0; i < refs.GetSize(); ++i) {
        CzRefObj reference = refs[i];
        if (reference.m_pRef == nullptr) reference.m_pRef = Record();
        record->m_refs.Add(reference);
    }
    record->m_id = id;
    record->m_handle = handle;
    record->m_format = format;
    record->m_font = font;
    record->m_colour = colour;
    DrawStatic(*m_statics->Add(std::move(record)), true);
}

UINT CzCanvasCore::SetStaticFormat(UINT id, UINT format) {
    CzStaticRecord* record = m_statics ? m_statics->Find(id) : nullptr;
    return record != nullptr ? std::exchange(record->m_format, format) : 0;
}

UINT CzCanvasCore::SetStaticFont(UINT id, UINT font) {
    CzStaticRecord* record = m_statics ? m_statics->Find(id) : nullptr;
    return record != nullptr ? std::exchange(record->m_font, font) : 0;
}

COLORREF CzCanvasCore::SetStaticColor(UINT id, COLORREF colour) {
    CzStaticRecord* record = m_statics ? m_statics->Find(id) : nullptr;
    return record != nullptr ? std::exchange(record->m_colour, colour) : 0;
}

bool CzCanvasCore::DrawStatic(UINT id, bool present) {
    CzStaticRecord* record = m_statics ? m_statics->Find(id) : nullptr;
    return record != nullptr && DrawStatic(*record, present);
}

bool CzCanvasCore::DrawStatic(CzStaticRecord& record, bool present) {
    if (!record.m_visible) return false;
    record.Resolve();
    const CRect& rect = record.m_current;
    const int id = static_cast<int>(record.m_id);
    switch (record.m_kind) {
        case LOCATION_TEXT: {
            CFont* font = GetFont(static_cast<int>(record.m_font));
            LOGFONTW logFont {};
            if (font != nullptr) GetObjectW(font->GetSafeHandle(), sizeof(logFont), &logFont);
            const bool soft = logFont.lfQuality == ANTIALIASED_QUALITY;
            return DrawCanvas(m_content.fnAcquireString(id), rect, record.m_format, record.m_colour, font, soft,
                              static_cast<HBITMAP>(record.m_handle), present);
        }
        case LOCATION_IMAGE: {
            HBITMAP picture = m_content.fnAcquireImage(id);
            if (picture == nullptr) picture = static_cast<HBITMAP>(record.m_handle);
            return DrawCanvas(rect, picture, 0, 0, present);
        }
        case LOCATION_ICON: {
            HICON icon = m_content.fnAcquireIcon(id);
            if (icon == nullptr) icon = static_cast<HICON>(record.m_handle);
            return icon != nullptr && DrawIcon(icon, rect.left, rect.top, present);
        }
        default: return false;
    }
}

bool CzCanvasCore::ShowStatic(UINT id, int show, bool present) {
    CzStaticRecord* record = m_statics ? m_statics->Find(id) : nullptr;
    if (record == nullptr) return false;
    record->m_visible = show != 0;
    if (record->m_visible) return DrawStatic(*record, present);
    return !present || ClearCanvas(&record->m_current, true);
}

bool CzCanvasCore::EnableStatic(UINT id, int enable, bool) {
    CzStaticRecord* record = m_statics ? m_statics->Find(id) : nullptr;
    if (record == nullptr) return false;
    record->m_enabled = enable != 0;
    return true;
}

CRect CzCanvasCore::GetStaticPos(UINT id) const {
    const CzStaticRecord* record = m_statics ? m_statics->Find(id) : nullptr;
    return record != nullptr ? record->m_current : CRect();
}

void CzCanvasCore::AddBtn(UINT id, HBITMAP strip, const CRect& pos, const CArray<CzRefObj>& refs, UINT frames,
                          DWORD style) {
    if (!m_buttonManager) m_buttonManager = std::make_unique<CzButtonManager>(m_window, *this);
    m_buttonManager->Add(id, strip, pos, refs, frames, style);
}

void CzCanvasCore::SetRadioBtn(UINT first, UINT last) {
    if (m_buttonManager) m_buttonManager->SetRadio(first, last);
}

bool CzCanvasCore::EnableBtn(UINT id, bool enable) {
    return m_buttonManager && m_buttonManager->Enable(id, enable);
}

bool CzCanvasCore::ShowBtn(UINT id, bool show, bool redraw) {
    return m_buttonManager && m_buttonManager->Show(id, show, redraw);
}

bool CzCanvasCore::CheckBtn(UINT id, bool check) {
    return m_buttonManager && m_buttonManager->Check(id, check);
}

void CzCanvasCore::ChangeBtnText(UINT id, LPCWSTR text) {
    if (m_buttonManager) m_buttonManager->ChangeText(id, text);
}

namespace {

const CzButtonRecord* ButtonOf(const CzButtonManager* manager, UINT id) {
    return manager != nullptr ? manager->Find(id) : nullptr;
}

}  // namespace

CRect CzCanvasCore::GetBtnPos(UINT id) const {
    const CzButtonRecord* button = ButtonOf(m_buttonManager.get(), id);
    return button != nullptr ? button->m_current : CRect();
}

bool CzCanvasCore::IsBtnEnabled(UINT id) const {
    const CzButtonRecord* button = ButtonOf(m_buttonManager.get(), id);
    return button != nullptr && (button->m_state & BUTTON_DISABLED) == 0;
}

bool CzCanvasCore::IsBtnShown(UINT id) const {
    const CzButtonRecord* button = ButtonOf(m_buttonManager.get(), id);
    return button != nullptr && (button->m_state & BUTTON_HIDDEN) == 0;
}

bool CzCanvasCore::IsBtnChecked(UINT id) const {
    const CzButtonRecord* button = ButtonOf(m_buttonManager.get(), id);
    return button != nullptr && (button->m_state & BUTTON_DOWN) != 0;
}

void CzFBtnCmdUI::Enable(BOOL on) {
    m_bEnableChanged = TRUE;
    if (m_core != nullptr && m_core->IsBtnEnabled(m_nID) != (on != FALSE)) m_core->EnableBtn(m_nID, on != FALSE);
}

void CzFBtnCmdUI::SetCheck(int check) {
    if (m_core != nullptr) m_core->CheckBtn(m_nID, check > 0);
}

void CzCanvasCore::UpdateButtonsUi(CCmdTarget& target) {
    if (!m_buttonManager) return;
    const auto& buttons = m_buttonManager->Buttons();
    CzFBtnCmdUI state(this);
    for (size_t i = 0; i < buttons.size(); ++i) {
        state.m_nID = buttons[i]->m_id;
        state.m_nIndex = static_cast<UINT>(i);
        state.DoUpdate(&target, FALSE);
    }
    m_buttonManager->CleanUpHover();
}

void CzCanvasCore::DiscardItems() {
    m_buttonManager.reset();
    if (m_controls) m_controls->DestroyPopups();
    m_controls.reset();
    m_dragged = -1;
    HWND window = m_window.GetSafeHwnd();
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(window, GW_CHILD)) {
        DestroyWindow(child);
    }
}

bool CzCanvasCore::ChangeBtnFace(UINT id, HBITMAP strip, UINT frames) {
    return m_buttonManager && m_buttonManager->ChangeFace(id, strip, frames);
}

CRect CzCanvasCore::ChangeBtnPos(UINT id, int x, int y, bool redraw) {
    return m_buttonManager ? m_buttonManager->ChangePosition(id, x, y, redraw) : CRect();
}

bool CzCanvasCore::DrawBtnFace(UINT id, LPCWSTR text, COLORREF colour, CFont* font) {
    HFONT handle = font != nullptr ? static_cast<HFONT>(font->GetSafeHandle()) : nullptr;
    return m_buttonManager && m_buttonManager->DrawFace(id, text, colour, handle);
}

LRESULT CzCanvasCore::PopupProcedure(WPARAM control, LPARAM target) const {
    // A window the canvas does not know has no previous procedure here.
    if (target != 0) {
        *reinterpret_cast<WNDPROC*>(target) =
            m_controls ? m_controls->PreviousProcedure(reinterpret_cast<HWND>(control)) : nullptr;
    }
    return 0;
}

void CzCanvasCore::UpdateEmbeddedControls() const {
    if (m_controls) m_controls->RepaintPopups();
    for (HWND child = GetWindow(m_window.GetSafeHwnd(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
}

void CzCanvasCore::TellOwnerShown() const {
    if (m_controls && m_controls->HasPopups()) return;  // its popups follow it instead
    HWND owner = GetWindow(m_window.GetSafeHwnd(), GW_OWNER);
    if (owner == nullptr) owner = GetParent(m_window.GetSafeHwnd());
    if (owner != nullptr && IsLayeredWindow()) SendMessageW(owner, CZ_MSG_UPDATE_CONTROLS, 0, 0);
}
