// The control manager of a canvas: the real control windows over it, the
// slots and the other canvases embedded in it, and its splitter bars, in
// the order they were made.
//
// A window presented as a per-pixel layered picture cannot show child
// windows, so on such a canvas controls are hidden popup windows owned by
// the canvas that the manager keeps glued over it (moved, shown, hidden and
// enabled with it). Popup windows carry no identifier; the manager answers
// for them (ControlId) and keeps their previous window procedure.
#pragma once

#include <memory>
#include <vector>

#include "skin/canvas/canvas_record.h"
#include "skin/controls/control_records.h"

class CWnd;

class CzControlManager {
public:
    explicit CzControlManager(CWnd& canvas) : m_canvas(canvas) {}
    // Frees the records; canvases embedded here drop their references to
    // this canvas's items.
    ~CzControlManager();
    CzControlManager(const CzControlManager&) = delete;
    CzControlManager& operator=(const CzControlManager&) = delete;

    // A control window of the class (null when it cannot be made): a popup
    // owned by a per-pixel canvas, or as the style asks a popup, otherwise a
    // child with the identifier. `font` below 0 gives the icon-title font
    // at most the height of pos less 8; combo boxes drop 10 items.
    HWND CreateControl(DWORD exStyle, LPCWSTR className, LPCWSTR text, DWORD style, const CRect& pos,
                       const CArray<CzRefObj>& refs, UINT id, int font);
    bool CreateSlot(const CRect& pos, const CArray<CzRefObj>& refs, const CString& name);
    bool CreateSplitter(const CRect& pos, const CArray<CzRefObj>& refs, UINT id, int first, int second);
    // Another canvas's popup, kept in step with this canvas; on failure the
    // window is destroyed.
    bool AttachControl(HWND window, DWORD style, const CRect& pos, const CArray<CzRefObj>& refs, UINT id);
    // The other canvas, laid out against this one and against the slot of
    // that name, which goes.
    void EmbedWindow(HWND canvas, const CString& name);
    // Forgets the control or embedded canvas; its window stays.
    void RemoveControl(HWND window);

    // Kind 3: the control with the identifier; 7: the splitter; else null.
    CzLocation* Find(int kind, UINT id) const;
    // The window of the control with the identifier (-1: an embedded
    // canvas), null when it is gone; `found` false when no record has it.
    HWND ItemWindow(UINT id, bool& found) const;
    // The identifier of a popup control window; false when it is not one.
    bool ControlId(HWND window, UINT& id) const;
    // The procedure the popup window had before, or null.
    WNDPROC PreviousProcedure(HWND window) const;
    const std::vector<CzSplitterRecord*>& Splitters() const { return m_splitters; }
    bool HasPopups() const { return m_popup; }

    // Layout: every record unresolved; splitter ranges for the canvas size;
    // then every window moved to its place (visible ones, or all while the
    // canvas is being shown) over a canvas whose client area starts at
    // `origin` on the screen.
    void MarkUnresolved();
    void SetSplitterRanges(CSize canvas);
    void Place(bool all, CPoint origin);
    // The canvas moved by `offset` without changing size.
    void Follow(CSize offset);
    // Showing, hiding, enabling and disabling with the canvas.
    void ShowWith(bool shown);
    void EnableWith(bool enabled);
    bool EnableControl(UINT id, bool enable);
    bool ShowControl(UINT id, bool show);
    // Before a skin is applied again: the popup windows go.
    void DestroyPopups();
    // Repaints the popup windows (children repaint with the canvas's own).
    void RepaintPopups() const;

private:
    struct Entry {
        CzLocation* location;                        // the record, by its kind
        std::unique_ptr<CzControlRecord> control;    // controls and slots
        std::unique_ptr<CzSplitterRecord> splitter;  // splitters

        // The control record (not a slot's), or null.
        CzControlRecord* Control() const {
            return control && control->m_kind == LOCATION_CONTROL ? control.get() : nullptr;
        }
        // The embedded canvas's record, or null.
        CzCanvasRecord* Embedded() const {
            return location->m_kind == LOCATION_CANVAS ? static_cast<CzCanvasRecord*>(location) : nullptr;
        }
        // The control's or embedded canvas's window; null for slots and
        // splitters.
        HWND Window() const;
    };
    struct Move {
        HWND window;
        CRect rect;
        UINT flags;
    };

    CzCanvasRecord* Record() const;
    bool PerPixel() const;
    void TakeRefs(CzLocation& item, const CRect& pos, const CArray<CzRefObj>& refs) const;
    // A control record for the window; visible as the style says.
    std::unique_ptr<CzControlRecord> NewRecord(HWND window, DWORD style, const CRect& pos, const CArray<CzRefObj>& refs,
                                               UINT id) const;
    CzControlRecord* Add(std::unique_ptr<CzControlRecord> record);
    void Remove(size_t index);
    void SetFont(CzControlRecord& record, int font, const CRect& pos) const;
    // Where a window should be for its record, or false when it is there.
    bool PlaceOf(HWND window, const CRect& current, const CPoint& origin, Move& move) const;
    static void Apply(const std::vector<Move>& moves);
    void PlaceUpDowns() const;

    CWnd& m_canvas;
    std::vector<Entry> m_entries;
    std::vector<CzSplitterRecord*> m_splitters;
    bool m_subclassed = false;  // a control got the popup procedure
    bool m_popup = false;       // a popup control or canvas was added
};

// The procedure of popup controls: asks the owner canvas for the previous
// one, brings the canvas forward when the control is activated, and lets
// the canvas see the control's accelerator commands.
LRESULT CzPopupControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
