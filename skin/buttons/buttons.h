// Buttons of a canvas: picture strips with a frame per state, drawn into
// the composition. Their mouse handling replaces the canvas window's
// procedure; a click is posted to the canvas as WM_COMMAND.
#pragma once

#include <memory>
#include <vector>

#include "afx/cstring.h"
#include "afxwin/controls.h"
#include "skin/buttons/button_face.h"
#include "skin/canvas/location.h"

class CzCanvasCore;

// Update command UI for buttons: enabling and checking go to the button
// with the identifier; texts are left alone.
class CzFBtnCmdUI : public CCmdUI {
public:
    explicit CzFBtnCmdUI(CzCanvasCore* core = nullptr) : m_core(core) {}
    void Enable(BOOL on = TRUE) override;
    void SetCheck(int check = 1) override;
    void SetRadio(BOOL on = TRUE) override { SetCheck(on ? 1 : 0); }
    void SetText(LPCWSTR) override {}

    CzCanvasCore* m_core;
};

inline constexpr DWORD BUTTON_STYLE_TOGGLE = 0x1;
inline constexpr DWORD BUTTON_STYLE_REPEAT = 0x2;
inline constexpr UINT_PTR BUTTON_REPEAT_TIMER = 998;

struct CzButtonRecord : CzLocation {
    CzButtonRecord() { m_kind = LOCATION_BUTTON; }
    ~CzButtonRecord();
    CzButtonRecord(const CzButtonRecord&) = delete;
    CzButtonRecord& operator=(const CzButtonRecord&) = delete;

    DWORD m_style = 0;
    UINT m_id = 0;
    int m_frames = 1;
    int m_group = -1;
    CString m_caption;
    CString m_tooltip;
    DWORD m_state = 0;
    HBITMAP m_strip = nullptr;     // the face shown
    HBITMAP m_ownStrip = nullptr;  // the strip given at creation (owned)
};

// One per canvas window with buttons: the button records, the pressed and
// hovered buttons, the tool tips, and the canvas procedure it replaced.
class CzButtonManager {
public:
    CzButtonManager(CWnd& canvas, CzCanvasCore& core);
    ~CzButtonManager();
    CzButtonManager(const CzButtonManager&) = delete;
    CzButtonManager& operator=(const CzButtonManager&) = delete;

    // Takes the strip; draws the button.
    CzButtonRecord* Add(UINT id, HBITMAP strip, const CRect& pos, const CArray<CzRefObj>& refs, UINT frames,
                        DWORD style);
    CzButtonRecord* Find(UINT id) const;
    const std::vector<std::unique_ptr<CzButtonRecord>>& Buttons() const { return m_buttons; }
    void SetRadio(UINT first, UINT last);
    bool Enable(UINT id, bool enable);
    bool Show(UINT id, bool show, bool redraw);
    bool Check(UINT id, bool check);
    void ChangeText(UINT id, LPCWSTR text);
    // Another strip (the caller keeps it); frames when not 0.
    bool ChangeFace(UINT id, HBITMAP strip, UINT frames);
    // Moves the button's design origin to (x, y); the new current rectangle.
    CRect ChangePosition(UINT id, int x, int y, bool redraw);
    // Writes the text, centred, into every frame of the button's strip.
    bool DrawFace(UINT id, LPCWSTR text, COLORREF colour, HFONT font);
    // Draws the button's frame for its state (nothing when hidden).
    bool Draw(CzButtonRecord& button, bool present);
    // Drops the hover of a button the cursor has left: of this canvas, or of
    // every canvas of the process.
    void CleanUpHover();
    static void CleanUpEveryHover();

private:
    static LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    int HitButton(CPoint client) const;
    void SetState(int index, DWORD set, DWORD clear);
    // Turns the down bit over (and clears `clear`).
    void FlipDown(int index, DWORD clear);
    void Press(int index);
    void Release(int index);
    void StartRepeat();
    void StopRepeat();
    void UpdateTip(CzButtonRecord& button, bool present);

    CWnd& m_canvas;
    CzCanvasCore& m_core;
    std::vector<std::unique_ptr<CzButtonRecord>> m_buttons;
    int m_pressed = -1;
    int m_hovered = -1;
    int m_nextGroup = 0;
    bool m_tracking = false;
    WNDPROC m_previous = nullptr;
    CToolTipCtrl m_tips;
    bool m_repeating = false;
    int m_repeatTicks = 0;
};
