// The framework's drawing objects over the drawing interface: CGdiObject
// owns its handle and deletes it with itself; CFont, CRgn, CBitmap and
// CImageList add the calls the skin library makes.
#pragma once

#include "afx/object.h"
#include "gdi/image_list.h"
#include "gdi/wingdi.h"

class CGdiObject : public CObject {
    DECLARE_DYNCREATE(CGdiObject)
public:
    CGdiObject() = default;
    ~CGdiObject() override { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    bool Attach(HGDIOBJ object);
    HGDIOBJ Detach();
    bool DeleteObject();
    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    HGDIOBJ m_hObject = nullptr;
};

class CFont : public CGdiObject {
    DECLARE_DYNCREATE(CFont)
public:
    bool CreateFontIndirect(const LOGFONTW* font) { return Attach(::CreateFontIndirectW(font)); }
    // Copies the font's description; false without a font.
    bool GetLogFont(LOGFONTW* font) const;
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class CBitmap : public CGdiObject {
    DECLARE_DYNCREATE(CBitmap)
public:
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

class CRgn : public CGdiObject {
    DECLARE_DYNCREATE(CRgn)
public:
    bool CreateRectRgn(int left, int top, int right, int bottom) {
        return Attach(::CreateRectRgn(left, top, right, bottom));
    }
    bool CreateRectRgnIndirect(const RECT* rect) {
        return rect != nullptr && CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
    }
    // This region becomes a op b; the kind of the result or RGN_ERROR.
    int CombineRgn(const CRgn* a, const CRgn* b, int op);
    bool PtInRegion(int x, int y) const { return ::PtInRegion(*this, x, y) != FALSE; }
    bool PtInRegion(POINT point) const { return PtInRegion(point.x, point.y); }
    int GetRgnBox(RECT* box) const { return ::GetRgnBox(*this, box); }
    operator HRGN() const { return static_cast<HRGN>(m_hObject); }
};

class CImageList : public CObject {
    DECLARE_DYNCREATE(CImageList)
public:
    CImageList() = default;
    ~CImageList() override { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;
    bool Create(int cx, int cy, UINT flags, int initial, int grow);
    // The index of the first image added, or -1.
    int Add(CBitmap* bitmap, COLORREF mask);
    int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
    // A new icon the caller destroys, or null.
    HICON ExtractIcon(int index) const { return ImageList_GetIcon(m_hImageList, index, ILD_NORMAL); }
    bool DeleteImageList();
    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST m_hImageList = nullptr;
};
