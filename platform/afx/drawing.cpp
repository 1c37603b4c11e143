#include "afx/drawing.h"

IMPLEMENT_DYNCREATE(CGdiObject, CObject)
IMPLEMENT_DYNCREATE(CFont, CGdiObject)
IMPLEMENT_DYNCREATE(CBitmap, CGdiObject)
IMPLEMENT_DYNCREATE(CRgn, CGdiObject)
IMPLEMENT_DYNCREATE(CImageList, CObject)

bool CGdiObject::Attach(HGDIOBJ object) {
    if (object == nullptr) return false;
    DeleteObject();
    m_hObject = object;
    return true;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ object = m_hObject;
    m_hObject = nullptr;
    return object;
}

bool CGdiObject::DeleteObject() {
    if (m_hObject == nullptr) return false;
    return ::DeleteObject(Detach()) != FALSE;
}

bool CFont::GetLogFont(LOGFONTW* font) const {
    return font != nullptr && ::GetObjectW(m_hObject, sizeof(LOGFONTW), font) == sizeof(LOGFONTW);
}

int CRgn::CombineRgn(const CRgn* a, const CRgn* b, int op) {
    return ::CombineRgn(*this, a != nullptr ? static_cast<HRGN>(*a) : nullptr,
                        b != nullptr ? static_cast<HRGN>(*b) : nullptr, op);
}

bool CImageList::Create(int cx, int cy, UINT flags, int initial, int grow) {
    DeleteImageList();
    m_hImageList = ImageList_Create(cx, cy, flags, initial, grow);
    return m_hImageList != nullptr;
}

int CImageList::Add(CBitmap* bitmap, COLORREF mask) {
    return bitmap != nullptr ? ImageList_AddMasked(m_hImageList, *bitmap, mask) : -1;
}

bool CImageList::DeleteImageList() {
    if (m_hImageList == nullptr) return false;
    const bool destroyed = ImageList_Destroy(m_hImageList) != FALSE;
    m_hImageList = nullptr;
    return destroyed;
}
