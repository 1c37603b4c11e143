// Message maps: a table per class of the messages, commands and control
// notifications it handles, each entry with a thunk that calls the member
// function with the message's parameters unpacked. A class declares its map
// with DECLARE_MESSAGE_MAP and defines it between BEGIN_MESSAGE_MAP and
// END_MESSAGE_MAP; lookups walk from the class's map to its bases' maps, so
// a derived entry overrides a base entry and a message without one falls
// back to the base's.
#pragma once

#include "win/winuser.h"

class CCmdTarget;
class CCmdUI;
class CDC;
class CWnd;
struct AFX_MSGMAP_ENTRY;

// Calls the handler; answers FALSE when the message was not handled after all.
using AFX_THUNK = BOOL (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;            // WM_COMMAND for commands and notifications; 0 ends the table
    UINT nCode;               // notification code, CN_COMMAND or CN_UPDATE_COMMAND_UI
    UINT nID;                 // first control or command identifier
    UINT nLastID;             // last identifier of a range
    const UINT* pRegistered;  // ON_REGISTERED_MESSAGE: where the message number is kept
    AFX_THUNK pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

inline constexpr UINT CN_COMMAND = 0;
inline constexpr UINT CN_UPDATE_COMMAND_UI = 0xFFFFFFFF;
inline constexpr UINT AFX_REGISTERED = 0xC000;  // nMessage of a registered-message entry

#define afx_msg

#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)          \
    const AFX_MSGMAP* theClass::GetMessageMap() const { \
        return GetThisMessageMap();                     \
    }                                                   \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {   \
        using ThisClass = theClass;                     \
        using TheBaseClass = baseClass;                 \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                         \
    { 0, 0, 0, 0, nullptr, nullptr }                                                              \
    }                                                                                             \
    ;                                                                                             \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap;                                                                           \
    }

// An entry for `message` whose thunk runs `body` with `self`, `wParam`,
// `lParam` and `result` in scope.
#define AFX_ENTRY(message, code, id, last, registered, body)                                \
    {message,                                                                               \
     code,                                                                                  \
     id,                                                                                    \
     last,                                                                                  \
     registered,                                                                            \
     [](CCmdTarget* target, [[maybe_unused]] WPARAM wParam, [[maybe_unused]] LPARAM lParam, \
        [[maybe_unused]] LRESULT* result) -> BOOL {                                         \
         [[maybe_unused]] auto* self = static_cast<ThisClass*>(target);                     \
         body;                                                                              \
         return TRUE;                                                                       \
     }},

#define AFX_POINT_OF(lParam) CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))

#define ON_WM_CREATE() \
    AFX_ENTRY(WM_CREATE, 0, 0, 0, nullptr, *result = self->OnCreate(reinterpret_cast<LPCREATESTRUCTW>(lParam)))
#define ON_WM_DESTROY() AFX_ENTRY(WM_DESTROY, 0, 0, 0, nullptr, self->OnDestroy())
#define ON_WM_NCDESTROY() AFX_ENTRY(WM_NCDESTROY, 0, 0, 0, nullptr, self->OnNcDestroy())
#define ON_WM_CLOSE() AFX_ENTRY(WM_CLOSE, 0, 0, 0, nullptr, self->OnClose())
#define ON_WM_PAINT() AFX_ENTRY(WM_PAINT, 0, 0, 0, nullptr, self->OnPaint())
#define ON_WM_ERASEBKGND()                     \
    AFX_ENTRY(WM_ERASEBKGND, 0, 0, 0, nullptr, \
              *result = self->OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam))))
#define ON_WM_SIZE()                     \
    AFX_ENTRY(WM_SIZE, 0, 0, 0, nullptr, \
              self->OnSize(static_cast<UINT>(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)))
#define ON_WM_MOVE() AFX_ENTRY(WM_MOVE, 0, 0, 0, nullptr, self->OnMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)))
#define ON_WM_TIMER() AFX_ENTRY(WM_TIMER, 0, 0, 0, nullptr, self->OnTimer(static_cast<UINT_PTR>(wParam)))
#define ON_WM_SHOWWINDOW() \
    AFX_ENTRY(WM_SHOWWINDOW, 0, 0, 0, nullptr, self->OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam)))
#define ON_WM_ACTIVATE()                                                                         \
    AFX_ENTRY(WM_ACTIVATE, 0, 0, 0, nullptr,                                                     \
              self->OnActivate(LOWORD(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), \
                               static_cast<BOOL>(HIWORD(wParam))))
#define ON_WM_ENABLE() AFX_ENTRY(WM_ENABLE, 0, 0, 0, nullptr, self->OnEnable(static_cast<BOOL>(wParam)))
#define ON_WM_GETMINMAXINFO() \
    AFX_ENTRY(WM_GETMINMAXINFO, 0, 0, 0, nullptr, self->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam)))
#define ON_WM_WINDOWPOSCHANGING() \
    AFX_ENTRY(WM_WINDOWPOSCHANGING, 0, 0, 0, nullptr, self->OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam)))
#define ON_WM_WINDOWPOSCHANGED() \
    AFX_ENTRY(WM_WINDOWPOSCHANGED, 0, 0, 0, nullptr, self->OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(lParam)))
#define ON_WM_NCHITTEST() AFX_ENTRY(WM_NCHITTEST, 0, 0, 0, nullptr, *result = self->OnNcHitTest(AFX_POINT_OF(lParam)))
#define ON_WM_SETCURSOR()               \
    AFX_ENTRY(                          \
        WM_SETCURSOR, 0, 0, 0, nullptr, \
        *result = self->OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(lParam), HIWORD(lParam)))
#define AFX_MOUSE_ENTRY(message, handler) \
    AFX_ENTRY(message, 0, 0, 0, nullptr, self->handler(static_cast<UINT>(wParam), AFX_POINT_OF(lParam)))
#define ON_WM_MOUSEMOVE() AFX_MOUSE_ENTRY(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() AFX_MOUSE_ENTRY(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_MOUSE_ENTRY(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_MOUSE_ENTRY(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_MOUSE_ENTRY(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_MOUSE_ENTRY(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_MOUSELEAVE() AFX_ENTRY(WM_MOUSELEAVE, 0, 0, 0, nullptr, self->OnMouseLeave())
#define ON_WM_CAPTURECHANGED()                     \
    AFX_ENTRY(WM_CAPTURECHANGED, 0, 0, 0, nullptr, \
              self->OnCaptureChanged(CWnd::FromHandle(reinterpret_cast<HWND>(lParam))))
#define ON_WM_KEYDOWN()                     \
    AFX_ENTRY(WM_KEYDOWN, 0, 0, 0, nullptr, \
              self->OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), static_cast<UINT>(HIWORD(lParam))))
#define ON_WM_DROPFILES() AFX_ENTRY(WM_DROPFILES, 0, 0, 0, nullptr, self->OnDropFiles(reinterpret_cast<HDROP>(wParam)))
#define ON_WM_DISPLAYCHANGE() \
    AFX_ENTRY(WM_DISPLAYCHANGE, 0, 0, 0, nullptr, *result = self->OnDisplayChange(wParam, lParam))

// LRESULT handler(WPARAM, LPARAM).
#define ON_MESSAGE(message, handler) AFX_ENTRY(message, 0, 0, 0, nullptr, *result = self->handler(wParam, lParam))
#define ON_REGISTERED_MESSAGE(variable, handler) \
    AFX_ENTRY(AFX_REGISTERED, 0, 0, 0, &variable, *result = self->handler(wParam, lParam))
// void handler().
#define ON_COMMAND(id, handler) AFX_ENTRY(WM_COMMAND, CN_COMMAND, id, id, nullptr, self->handler())
#define ON_COMMAND_RANGE(first, last, handler) \
    AFX_ENTRY(WM_COMMAND, CN_COMMAND, first, last, nullptr, self->handler(static_cast<UINT>(wParam)))
// void handler(CCmdUI*).
#define ON_UPDATE_COMMAND_UI(id, handler) \
    AFX_ENTRY(WM_COMMAND, CN_UPDATE_COMMAND_UI, id, id, nullptr, self->handler(reinterpret_cast<CCmdUI*>(lParam)))
#define ON_CONTROL(code, id, handler) AFX_ENTRY(WM_COMMAND, code, id, id, nullptr, self->handler())
// void handler(NMHDR*, LRESULT*).
#define ON_NOTIFY(code, id, handler)                               \
    AFX_ENTRY(WM_NOTIFY, static_cast<UINT>(code), id, id, nullptr, \
              self->handler(reinterpret_cast<NMHDR*>(lParam), result))
