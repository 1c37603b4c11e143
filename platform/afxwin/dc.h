// CDC: a device context as an object, and the contexts of painting
// (CPaintDC: BeginPaint to EndPaint) and of a window's client area (CClientDC).
#pragma once

#include "afx/cstring.h"
#include "afx/drawing.h"
#include "gdi/wingdi.h"

class CWnd;

class CDC {
public:
    CDC() = default;
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;
    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }
    // A context object for the handle, kept until the next idle time.
    static CDC* FromHandle(HDC dc);
    static void DeleteTempMap();
    BOOL Attach(HDC dc);
    HDC Detach();

    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();
    // Both answer the object that was selected before.
    HGDIOBJ SelectObject(CGdiObject* object);
    HGDIOBJ SelectObject(HGDIOBJ object);
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY, DWORD rop);
    void FillSolidRect(const RECT* rect, COLORREF colour);
    COLORREF SetTextColor(COLORREF colour);
    int SetBkMode(int mode);
    int DrawText(const CString& text, RECT* rect, UINT format);
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* window);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps {};

private:
    HWND m_hWnd;
};

class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* window);
    ~CClientDC() override;

private:
    HWND m_hWnd;
};
