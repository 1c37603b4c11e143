// CzLocation: the layout record of every skin item (canvas, button,
// control, text, image, icon, splitter), and how it is resolved against the
// items it refers to ("ALIGN:").
#pragma once

#include "afx/collections.h"
#include "afx/geometry.h"
#include "skin/package/skin_parser.h"

enum LOCATION_KIND : int {
    LOCATION_CANVAS = 1,
    LOCATION_BUTTON = 2,
    LOCATION_CONTROL = 3,
    LOCATION_TEXT = 4,
    LOCATION_IMAGE = 5,
    LOCATION_ICON = 6,
    LOCATION_SPLITTER = 7
};

struct CzLocation {
    int m_kind = 0;
    bool m_resolved = false;  // the current rectangle is valid
    CRect m_design;           // as the skin states it
    CRect m_current;          // after layout, in the canvas window's client coordinates
    // What splitters moved and grew the item by.
    int m_leftShift = 0;
    int m_topShift = 0;
    int m_widthGrowth = 0;
    int m_heightGrowth = 0;
    CArray<CzRefObj> m_refs;

    // Places the current rectangle by the references, in order, each one
    // overriding the previous; a referenced item not yet placed is placed
    // first when it lies before this one (left of or above it), otherwise
    // that reference is skipped. Nothing happens when already resolved.
    void Resolve();

private:
    void TieToSplitter(const CzRefObj& reference);
    bool m_resolving = false;  // guards against references that go round in a circle
};

// ALIGN flags.
inline constexpr int ALIGN_HORIZONTAL = 0x03;  // 0 left edge, 1 right edge, 2 centre, 3 none
inline constexpr int ALIGN_VERTICAL = 0x30;    // 0x00 top, 0x10 bottom, 0x20 centre, 0x30 none
inline constexpr int ALIGN_GROW_WIDTH = 0x200;
inline constexpr int ALIGN_GROW_HEIGHT = 0x100;
