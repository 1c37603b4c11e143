#include "skin/buttons/buttons.h"

#include <algorithm>
#include <cstdint>
#include <map>

#include "skin/canvas/canvas_core.h"
#include "skin/canvas/picture_format.h"

namespace {

// The managers by canvas window, for the replaced procedure.
std::map<HWND, CzButtonManager*>& Managers() {
    static std::map<HWND, CzButtonManager*> managers;
    return managers;
}

constexpr int kRepeatDelayTicks = 5;
constexpr UINT kRepeatPeriod = 100;

CSize FrameSize(HBITMAP strip, int frames) {
    const movanta::gdi::Bitmap* picture = skinkit::PictureOf(strip);
    if (picture == nullptr || frames <= 0) return CSize(0, 0);
    return CSize(picture->width / frames, picture->height);
}

}  // namespace

CzButtonRecord::~CzButtonRecord() {
    if (m_ownStrip != nullptr) DeleteObject(m_ownStrip);
}

CzButtonManager::CzButtonManager(CWnd& canvas, CzCanvasCore& core) : m_canvas(canvas), m_core(core) {
    m_tips.Create(&canvas);
    Managers()[canvas.GetSafeHwnd()] = this;
    m_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(canvas.GetSafeHwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedure)));
}

CzButtonManager::~CzButtonManager() {
    StopRepeat();
    HWND canvas = m_canvas.GetSafeHwnd();
    if (canvas != nullptr && GetWindowLongPtrW(canvas, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(Procedure)) {
        SetWindowLongPtrW(canvas, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
    }
    Managers().erase(canvas);
    m_tips.DestroyWindow();
}

CzButtonRecord* CzButtonManager::Add(UINT id, HBITMAP strip, const CRect& pos, const CArray<CzRefObj>& refs,
                                     UINT frames, DWORD style) {
    auto button = std::make_unique<CzButtonRecord>();
    button->m_id = id;
    button->m_style = style;
    button->m_frames = static_cast<int>(std::max<UINT>(frames, 1));
    button->m_strip = strip;
    button->m_ownStrip = strip;
    const CSize frame = FrameSize(strip, button->m_frames);
    button->m_design = CRect(pos.left, pos.top, pos.left + frame.cx, pos.top + frame.cy);
    button->m_current = button->m_design;
    for (int i = 0; i < refs.GetSize(); ++i) {
        CzRefObj reference = refs[i];
        if (reference.m_pRef == nullptr) reference.m_pRef = m_core.Record();
        button->m_refs.Add(reference);
    }
    m_buttons.push_back(std::move(button));
    CzButtonRecord& added = *m_buttons.back();
    added.Resolve();
    Draw(added, true);
    return &added;
}

CzButtonRecord* CzButtonManager::Find(UINT id) const {
    for (const auto& button : m_buttons) {
        if (button->m_id == id) return button.get();
    }
    return nullptr;
}

bool CzButtonManager::Draw(CzButtonRecord& button, bool present) {
    const int frame = ButtonFrame(button.m_state, button.m_frames);
    if (frame < 0) return false;
    button.Resolve();
    return m_core.DrawCanvas(button.m_current, button.m_strip, frame * button.m_current.Width(), 0, present);
}

void CzButtonManager::SetState(int index, DWORD set, DWORD clear) {
    if (index < 0 || index >= static_cast<int>(m_buttons.size())) return;
    CzButtonRecord& button = *m_buttons[static_cast<size_t>(index)];
    const DWORD state = (button.m_state & ~clear) | set;
    if (state == button.m_state) return;
    button.m_state = state;
    Draw(button, true);
}

void CzButtonManager::SetRadio(UINT first, UINT last) {
    for (const auto& button : m_buttons) {
        if (button->m_id >= first && button->m_id <= last) button->m_group = m_nextGroup;
    }
    ++m_nextGroup;
}

bool CzButtonManager::Enable(UINT id, bool enable) {
    CzButtonRecord* button = Find(id);
    if (button == nullptr) return false;
    const DWORD state = enable ? button->m_state & ~BUTTON_DISABLED : button->m_state | BUTTON_DISABLED;
    if (state != button->m_state) {
        button->m_state = state;
        Draw(*button, true);
    }
    return true;
}

bool CzButtonManager::Show(UINT id, bool show, bool redraw) {
    CzButtonRecord* button = Find(id);
    if (button == nullptr) return false;
    if (show) {
        button->m_state &= ~BUTTON_HIDDEN;
        if (redraw) Draw(*button, true);
        UpdateTip(*button, true);
    } else {
        button->m_state |= BUTTON_HIDDEN;
        if (redraw) m_core.ClearCanvas(&button->m_current, true);
        UpdateTip(*button, false);
    }
    return true;
}

bool CzButtonManager::Check(UINT id, bool check) {
    CzButtonRecord* button = Find(id);
    if (button == nullptr) return false;
    if (((button->m_state & BUTTON_DOWN) != 0) == check) return true;
    if (check && button->m_group >= 0) {
        for (const auto& other : m_buttons) {
            if (other.get() != button && other->m_group == button->m_group && (other->m_state & BUTTON_DOWN) != 0) {
                other->m_state &= ~BUTTON_DOWN;
                Draw(*other, true);
            }
        }
    }
    button->m_state = check ? button->m_state | BUTTON_DOWN : button->m_state & ~BUTTON_DOWN;
    Draw(*button, true);
    return true;
}

void CzButtonManager::ChangeText(UINT id, LPCWSTR text) {
    CzButtonRecord* button = Find(id);
    if (button == nullptr || text == nullptr || *text == L'\0') return;
    const std::wstring whole = text;
    const size_t feed = whole.find(L'\n');
    button->m_caption = whole.substr(0, feed).c_str();
    button->m_tooltip = feed == std::wstring::npos ? whole.c_str() : whole.substr(feed + 1).c_str();
    UpdateTip(*button, true);
}

void CzButtonManager::UpdateTip(CzButtonRecord& button, bool present) {
    m_tips.DelTool(&m_canvas, button.m_id);
    if (present && !button.m_tooltip.IsEmpty() && (button.m_state & BUTTON_HIDDEN) == 0) {
        m_tips.AddTool(&m_canvas, button.m_tooltip.GetString(), &button.m_current, button.m_id);
    }
}

void CzButtonManager::CleanUpHover() {
    if (m_hovered < 0) return;
    POINT cursor {};
    GetCursorPos(&cursor);
    m_canvas.ScreenToClient(&cursor);
    if (m_buttons[static_cast<size_t>(m_hovered)]->m_current.PtInRect(cursor)) return;
    SetState(m_hovered, 0, BUTTON_HOVER);
    m_hovered = -1;
}

void CzButtonManager::CleanUpEveryHover() {
    for (auto& [window, manager] : Managers()) manager->CleanUpHover();
}

int CzButtonManager::HitButton(CPoint client) const {
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        const CzButtonRecord& button = *m_buttons[i];
        if ((button.m_state & (BUTTON_DISABLED | BUTTON_HIDDEN)) != 0) continue;
        if (button.m_current.PtInRect(client)) return static_cast<int>(i);
    }
    return -1;
}

void CzButtonManager::FlipDown(int index, DWORD clear) {
    const bool down = (m_buttons[static_cast<size_t>(index)]->m_state & BUTTON_DOWN) != 0;
    SetState(index, down ? 0 : BUTTON_DOWN, (down ? BUTTON_DOWN : 0) | clear);
}

// A press: a toggle shows the opposite of its check state, others go down.
void CzButtonManager::Press(int index) {
    CzButtonRecord& button = *m_buttons[static_cast<size_t>(index)];
    if ((button.m_style & BUTTON_STYLE_TOGGLE) != 0 && button.m_group < 0) {
        FlipDown(index, BUTTON_HOVER);
    } else {
        SetState(index, BUTTON_DOWN, BUTTON_HOVER);
    }
    m_pressed = index;
    if ((button.m_style & BUTTON_STYLE_REPEAT) != 0) StartRepeat();
}

// Leaving a pressed button for another one while the mouse is held.
void CzButtonManager::Release(int index) {
    CzButtonRecord& button = *m_buttons[static_cast<size_t>(index)];
    if (button.m_group < 0) {
        if ((button.m_style & BUTTON_STYLE_TOGGLE) != 0) {
            FlipDown(index, 0);  // back to its check state
        } else {
            SetState(index, 0, BUTTON_DOWN);
        }
        StopRepeat();
        return;
    }
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        if (static_cast<int>(i) != index && m_buttons[i]->m_group == button.m_group &&
            (m_buttons[i]->m_state & BUTTON_DOWN) != 0) {
            SetState(index, 0, BUTTON_DOWN);
            return;
        }
    }
}

void CzButtonManager::StartRepeat() {
    m_repeating = true;
    m_repeatTicks = 0;
    m_canvas.SetTimer(BUTTON_REPEAT_TIMER, kRepeatPeriod);
}

void CzButtonManager::StopRepeat() {
    if (!m_repeating) return;
    m_repeating = false;
    m_canvas.KillTimer(BUTTON_REPEAT_TIMER);
}

LRESULT CzButtonManager::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto it = Managers().find(window);
    if (it == Managers().end()) return DefWindowProcW(window, message, wParam, lParam);
    CzButtonManager& manager = *it->second;
    const WNDPROC previous = manager.m_previous;
    bool handled = false;
    const LRESULT result = manager.Handle(message, wParam, lParam, handled);
    return handled ? result : CallWindowProcW(previous, window, message, wParam, lParam);
}

LRESULT CzButtonManager::Handle(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    HWND canvas = m_canvas.GetSafeHwnd();
    const CPoint client(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    switch (message) {
        case WM_NCHITTEST: {
            const LRESULT answer = CallWindowProcW(m_previous, canvas, message, wParam, lParam);
            CPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            m_canvas.ScreenToClient(&point);
            handled = true;
            return HitButton(point) >= 0 ? HTCLIENT : answer;
        }
        case WM_MOUSEMOVE: {
            HWND active = GetActiveWindow();
            if (active != canvas && GetParent(canvas) != active && !IsChild(active, canvas)) {
                if (m_hovered >= 0) SetState(m_hovered, 0, BUTTON_HOVER);
                m_hovered = -1;
                return 0;
            }
            const int hit = HitButton(client);
            if ((wParam & MK_LBUTTON) == 0) {
                if (!m_tracking) {
                    TRACKMOUSEEVENT track {sizeof(TRACKMOUSEEVENT), TME_LEAVE, canvas, 0};
                    m_tracking = TrackMouseEvent(&track) != FALSE;
                }
                if (hit != m_hovered) {
                    if (m_hovered >= 0) SetState(m_hovered, 0, BUTTON_HOVER);
                    if (hit >= 0 && (m_buttons[static_cast<size_t>(hit)]->m_state & BUTTON_DOWN) == 0) {
                        SetState(hit, BUTTON_HOVER, 0);
                    }
                    m_hovered = hit;
                }
                handled = hit >= 0;
                return 0;
            }
            if (GetCapture() != canvas || m_pressed < 0) return 0;
            handled = true;
            if (hit >= 0 && hit != m_pressed) {
                Release(m_pressed);
                Press(hit);
            }
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            const int hit = HitButton(client);
            if (hit < 0) {
                m_pressed = -1;
                return 0;
            }
            Press(hit);
            SetCapture(canvas);
            SetFocus(canvas);
            handled = true;
            return 0;
        }
        case WM_LBUTTONUP: {
            if (GetCapture() != canvas) return 0;
            ReleaseCapture();
            StopRepeat();
            if (m_pressed < 0) return 0;
            CzButtonRecord& button = *m_buttons[static_cast<size_t>(m_pressed)];
            if (button.m_group >= 0) {
                // The press already showed it down: release the rest of its group.
                button.m_state &= ~BUTTON_DOWN;
                Check(button.m_id, true);
            } else if ((button.m_style & BUTTON_STYLE_TOGGLE) == 0) {
                SetState(m_pressed, BUTTON_HOVER, BUTTON_DOWN);
            }
            m_hovered = m_pressed;
            m_pressed = -1;
            PostMessageW(canvas, WM_COMMAND, LOWORD(button.m_id), 0);
            handled = true;
            return 0;
        }
        case WM_TIMER:
            if (wParam != BUTTON_REPEAT_TIMER) return 0;
            handled = true;
            if (!m_repeating || m_pressed < 0) return 0;
            if (++m_repeatTicks > kRepeatDelayTicks) {
                PostMessageW(canvas, WM_COMMAND, LOWORD(m_buttons[static_cast<size_t>(m_pressed)]->m_id), 0);
            }
            return 0;
        case WM_MOUSELEAVE:
            if (m_hovered >= 0) SetState(m_hovered, 0, BUTTON_HOVER);
            m_hovered = -1;
            m_tracking = false;
            handled = true;
            return 0;
        default: return 0;
    }
}

bool CzButtonManager::ChangeFace(UINT id, HBITMAP strip, UINT frames) {
    CzButtonRecord* button = Find(id);
    if (button == nullptr || skinkit::PictureOf(strip) == nullptr) return false;
    if (frames != 0) button->m_frames = static_cast<int>(frames);
    const CSize frame = FrameSize(strip, button->m_frames);
    const CRect before = button->m_current;
    button->m_strip = strip;
    button->m_design.right = button->m_design.left + frame.cx;
    button->m_design.bottom = button->m_design.top + frame.cy;
    button->m_current.right = button->m_current.left + frame.cx;
    button->m_current.bottom = button->m_current.top + frame.cy;
    if (!(before == button->m_current)) m_core.ClearCanvas(&before, true);
    return Draw(*button, true);
}

CRect CzButtonManager::ChangePosition(UINT id, int x, int y, bool redraw) {
    CzButtonRecord* button = Find(id);
    if (button == nullptr) return CRect();
    if (button->m_design.left == x && button->m_design.top == y) return button->m_design;
    const CRect before = button->m_current;
    const int dx = x - button->m_design.left;
    const int dy = y - button->m_design.top;
    button->m_design.OffsetRect(dx, dy);
    button->m_current.OffsetRect(dx, dy);
    UpdateTip(*button, true);
    if (redraw) {
        m_core.ClearCanvas(&before, true);
        Draw(*button, true);
    }
    return button->m_current;
}

bool CzButtonManager::DrawFace(UINT id, LPCWSTR text, COLORREF colour, HFONT font) {
    CzButtonRecord* button = Find(id);
    movanta::gdi::Bitmap* strip = button != nullptr ? skinkit::PictureOf(button->m_strip) : nullptr;
    if (strip == nullptr || text == nullptr || *text == L'\0') return false;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, button->m_strip);
    HGDIOBJ previousFont = font != nullptr ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    const int width = strip->width / std::max(button->m_frames, 1);
    for (int frame = 0; frame < button->m_frames; ++frame) {
        RECT area {frame * width, 0, (frame + 1) * width, strip->height};
        DrawTextW(dc, text, -1, &area, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    }
    if (previousFont != nullptr) SelectObject(dc, previousFont);
    SelectObject(dc, previous);
    DeleteDC(dc);
    if (strip->bitCount == 32) {
        for (int y = 0; y < strip->height; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(strip->Row(y));
            for (int x = 0; x < strip->width; ++x) row[x] |= 0xFF000000u;
        }
    }
    return Draw(*button, true);
}
