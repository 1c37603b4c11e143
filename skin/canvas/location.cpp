#include "skin/canvas/location.h"

#include <cmath>

namespace {

// n × percent / 100 to the nearest integer, a half away from zero.
int PercentOf(int n, int percent) {
    return static_cast<int>(std::lround(static_cast<double>(n) * percent / 100.0));
}

// The offset of an anchor: the reference's edge (0), its far edge (1), its
// centre (2), or the previous offset kept (3).
int Offset(int anchor, int displacement, int growth, int extra, int previous) {
    switch (anchor) {
        case 0: return displacement;
        case 1: return displacement + growth - extra;
        case 2: return displacement + (growth - extra) / 2;
        default: return previous;
    }
}

}  // namespace

void CzLocation::TieToSplitter(const CzRefObj& reference) {
    const CzLocation& splitter = *reference.m_pRef;
    if ((reference.m_flags & ALIGN_GROW_WIDTH) != 0) {
        if ((reference.m_flags & ALIGN_HORIZONTAL) == 0) {
            m_widthGrowth += splitter.m_design.left - m_design.right;
            m_design.right = splitter.m_design.left;
            m_current.right = splitter.m_current.left;
        } else if ((reference.m_flags & ALIGN_HORIZONTAL) == 1) {
            m_leftShift += splitter.m_design.right - m_design.left;
            m_design.left = splitter.m_design.right;
            m_current.left = splitter.m_current.right;
        }
    } else if ((reference.m_flags & ALIGN_GROW_HEIGHT) != 0) {
        if ((reference.m_flags & ALIGN_VERTICAL) == 0x00) {
            m_heightGrowth += splitter.m_design.top - m_design.bottom;
            m_design.bottom = splitter.m_design.top;
            m_current.bottom = splitter.m_current.top;
        } else if ((reference.m_flags & ALIGN_VERTICAL) == 0x10) {
            m_topShift += splitter.m_design.bottom - m_design.top;
            m_design.top = splitter.m_design.bottom;
            m_current.top = splitter.m_current.bottom;
        }
    }
}

void CzLocation::Resolve() {
    if (m_resolved || m_resolving) return;
    m_resolving = true;
    int ox = 0;
    int oy = 0;
    for (int i = 0; i < m_refs.GetSize(); ++i) {
        const CzRefObj& reference = m_refs[i];
        CzLocation* other = reference.m_pRef;
        if (other == nullptr || other == this) continue;
        if (!other->m_resolved) {
            if (m_current.left < other->m_current.right && m_current.top < other->m_current.bottom) continue;
            other->Resolve();
        }
        if (other->m_kind == LOCATION_SPLITTER) {
            TieToSplitter(reference);
            continue;
        }
        int dxR = 0;
        int dyR = 0;
        if (other->m_kind != LOCATION_CANVAS) {
            dxR = other->m_current.left - other->m_design.left + other->m_leftShift;
            dyR = other->m_current.top - other->m_design.top + other->m_topShift;
        }
        const int gw = other->m_current.Width() - other->m_design.Width() + other->m_widthGrowth - other->m_leftShift;
        const int gh = other->m_current.Height() - other->m_design.Height() + other->m_heightGrowth - other->m_topShift;
        const int ew = (reference.m_flags & ALIGN_GROW_WIDTH) != 0 ? PercentOf(gw, reference.m_dx) : 0;
        const int eh = (reference.m_flags & ALIGN_GROW_HEIGHT) != 0 ? PercentOf(gh, reference.m_dy) : 0;
        ox = Offset(reference.m_flags & ALIGN_HORIZONTAL, dxR, gw, ew, ox);
        oy = Offset((reference.m_flags & ALIGN_VERTICAL) >> 4, dyR, gh, eh, oy);
        m_current = CRect(m_design.left + ox, m_design.top + oy, m_design.right + ox + ew, m_design.bottom + oy + eh);
    }
    m_resolving = false;
    m_resolved = true;
}
