// The platform's standard controls, made by class name with
// CreateWindowExW and driven by their messages; their notifications reach
// the parent (or owner) as WM_COMMAND or WM_NOTIFY with the control's
// identifier. Each shows as the matching Qt widget when the desktop back end
// runs; without it the controls keep their state all the same.
#pragma once

#include "win/winuser.h"

inline constexpr LPCWSTR WC_EDIT = L"EDIT";
inline constexpr LPCWSTR WC_BUTTON = L"BUTTON";
inline constexpr LPCWSTR WC_STATIC = L"STATIC";
inline constexpr LPCWSTR WC_LISTBOX = L"LISTBOX";
inline constexpr LPCWSTR WC_COMBOBOX = L"ComboBox";
inline constexpr LPCWSTR WC_LISTVIEW = L"SysListView32";
inline constexpr LPCWSTR WC_TREEVIEW = L"SysTreeView32";
inline constexpr LPCWSTR UPDOWN_CLASS = L"msctls_updown32";
inline constexpr LPCWSTR TRACKBAR_CLASS = L"msctls_trackbar32";
inline constexpr LPCWSTR PROGRESS_CLASS = L"msctls_progress32";
inline constexpr LPCWSTR TOOLTIPS_CLASS = L"tooltips_class32";

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Buttons.
inline constexpr DWORD BS_PUSHBUTTON = 0x0;
inline constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
inline constexpr DWORD BS_CHECKBOX = 0x2;
inline constexpr DWORD BS_AUTOCHECKBOX = 0x3;
inline constexpr DWORD BS_RADIOBUTTON = 0x4;
inline constexpr DWORD BS_AUTORADIOBUTTON = 0x9;
inline constexpr DWORD BS_TYPEMASK = 0xF;
inline constexpr UINT BM_GETCHECK = 0x00F0;
inline constexpr UINT BM_SETCHECK = 0x00F1;
inline constexpr UINT BM_CLICK = 0x00F5;
inline constexpr WORD BN_CLICKED = 0;
inline constexpr WPARAM BST_UNCHECKED = 0;
inline constexpr WPARAM BST_CHECKED = 1;

// Edit boxes.
inline constexpr DWORD ES_MULTILINE = 0x0004;
inline constexpr DWORD ES_PASSWORD = 0x0020;
inline constexpr DWORD ES_AUTOHSCROLL = 0x0080;
inline constexpr DWORD ES_READONLY = 0x0800;
inline constexpr DWORD ES_NUMBER = 0x2000;
inline constexpr UINT EM_SETSEL = 0x00B1;
inline constexpr UINT EM_SETREADONLY = 0x00CF;
inline constexpr UINT EM_LIMITTEXT = 0x00C5;
inline constexpr WORD EN_CHANGE = 0x0300;

// Statics.
inline constexpr DWORD SS_LEFT = 0x0;
inline constexpr DWORD SS_CENTER = 0x1;
inline constexpr DWORD SS_RIGHT = 0x2;
inline constexpr DWORD SS_BLACKRECT = 0x4;  // a black area, no text
inline constexpr DWORD SS_TYPEMASK = 0x1F;
inline constexpr DWORD SS_NOTIFY = 0x0100;
inline constexpr WORD STN_CLICKED = 0;

// List boxes.
inline constexpr UINT LB_ADDSTRING = 0x0180;
inline constexpr UINT LB_DELETESTRING = 0x0182;
inline constexpr UINT LB_RESETCONTENT = 0x0184;
inline constexpr UINT LB_SETCURSEL = 0x0186;
inline constexpr UINT LB_GETCURSEL = 0x0188;
inline constexpr UINT LB_GETTEXT = 0x0189;
inline constexpr UINT LB_GETTEXTLEN = 0x018A;
inline constexpr UINT LB_GETCOUNT = 0x018B;
inline constexpr UINT LB_GETITEMDATA = 0x0199;
inline constexpr UINT LB_SETITEMDATA = 0x019A;
inline constexpr WORD LBN_SELCHANGE = 1;
inline constexpr LRESULT LB_ERR = -1;

// Combo boxes.
inline constexpr DWORD CBS_DROPDOWN = 0x0002;
inline constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
inline constexpr UINT CB_GETEDITSEL = 0x0140;
inline constexpr UINT CB_ADDSTRING = 0x0143;
inline constexpr UINT CB_DELETESTRING = 0x0144;
inline constexpr UINT CB_GETCOUNT = 0x0146;
inline constexpr UINT CB_GETCURSEL = 0x0147;
inline constexpr UINT CB_GETLBTEXT = 0x0148;
inline constexpr UINT CB_GETLBTEXTLEN = 0x0149;
inline constexpr UINT CB_INSERTSTRING = 0x014A;
inline constexpr UINT CB_RESETCONTENT = 0x014B;
inline constexpr UINT CB_SETCURSEL = 0x014E;
inline constexpr UINT CB_GETITEMDATA = 0x0150;
inline constexpr UINT CB_SETITEMDATA = 0x0151;
inline constexpr UINT CB_GETDROPPEDCONTROLRECT = 0x0152;  // lParam: RECT* in screen coordinates
inline constexpr UINT CB_SETITEMHEIGHT = 0x0153;
inline constexpr UINT CB_GETITEMHEIGHT = 0x0154;
inline constexpr UINT CB_GETDROPPEDWIDTH = 0x015F;
inline constexpr UINT CB_SETDROPPEDWIDTH = 0x0160;
inline constexpr WORD CBN_SELCHANGE = 1;
inline constexpr LRESULT CB_ERR = -1;

// Progress bars.
inline constexpr UINT PBM_SETRANGE = WM_USER + 1;
inline constexpr UINT PBM_SETPOS = WM_USER + 2;
inline constexpr UINT PBM_SETRANGE32 = WM_USER + 6;
inline constexpr UINT PBM_GETPOS = WM_USER + 8;

// Track bars: WM_HSCROLL to the parent when the user moves the thumb.
inline constexpr UINT WM_HSCROLL = 0x0114;
inline constexpr UINT WM_VSCROLL = 0x0115;
inline constexpr UINT TBM_GETPOS = WM_USER;
inline constexpr UINT TBM_SETPOS = WM_USER + 5;
inline constexpr UINT TBM_SETRANGE = WM_USER + 6;
inline constexpr WORD TB_THUMBTRACK = 5;
inline constexpr WORD TB_ENDTRACK = 8;

// Up-down controls: they follow a buddy window (an edit box) whose text
// holds the value.
inline constexpr DWORD UDS_SETBUDDYINT = 0x0002;
inline constexpr DWORD UDS_ALIGNRIGHT = 0x0004;
inline constexpr DWORD UDS_ALIGNLEFT = 0x0008;
inline constexpr UINT UDM_SETRANGE = WM_USER + 101;
inline constexpr UINT UDM_SETPOS = WM_USER + 103;
inline constexpr UINT UDM_GETPOS = WM_USER + 104;
inline constexpr UINT UDM_SETBUDDY = WM_USER + 105;
inline constexpr UINT UDM_GETBUDDY = WM_USER + 106;
inline constexpr UINT UDN_DELTAPOS = static_cast<UINT>(-722);

// List views (report rows of texts).
inline constexpr UINT LVM_GETITEMCOUNT = 0x1004;
inline constexpr UINT LVM_DELETEALLITEMS = 0x1009;
inline constexpr UINT LVM_INSERTITEMW = 0x104D;
inline constexpr UINT LVM_GETITEMTEXTW = 0x1073;
inline constexpr UINT LVM_GETNEXTITEM = 0x100C;
inline constexpr UINT LVIF_TEXT = 0x0001;
inline constexpr UINT LVNI_SELECTED = 0x0002;
inline constexpr UINT LVN_ITEMCHANGED = static_cast<UINT>(-101);
struct LVITEMW {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPWSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};

// Tree views.
struct HTREEITEM__;
using HTREEITEM = HTREEITEM__*;
inline const HTREEITEM TVI_ROOT = reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(-0x10000));
inline const HTREEITEM TVI_LAST = reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(-0xFFFE));
inline constexpr UINT TVM_INSERTITEMW = 0x1132;
inline constexpr UINT TVM_DELETEITEM = 0x1101;
inline constexpr UINT TVM_GETCOUNT = 0x1105;
inline constexpr UINT TVIF_TEXT = 0x0001;
struct TVITEMW {
    UINT mask;
    HTREEITEM hItem;
    UINT state;
    UINT stateMask;
    LPWSTR pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int cChildren;
    LPARAM lParam;
};
struct TVINSERTSTRUCTW {
    HTREEITEM hParent;
    HTREEITEM hInsertAfter;
    TVITEMW item;
};

// Tool tips: rectangles of windows (or whole windows) that show a text
// when the mouse rests over them.
inline constexpr UINT TTF_IDISHWND = 0x0001;
inline constexpr UINT TTF_SUBCLASS = 0x0010;
inline constexpr UINT TTM_ACTIVATE = WM_USER + 1;
inline constexpr UINT TTM_SETDELAYTIME = WM_USER + 3;
inline constexpr UINT TTM_ADDTOOLW = WM_USER + 50;
inline constexpr UINT TTM_DELTOOLW = WM_USER + 51;
inline constexpr UINT TTM_UPDATETIPTEXTW = WM_USER + 57;
inline constexpr UINT TTM_GETTOOLCOUNT = WM_USER + 13;
inline constexpr UINT TTM_RELAYEVENT = WM_USER + 7;
struct TTTOOLINFOW {
    UINT cbSize;
    UINT uFlags;
    HWND hwnd;
    UINT_PTR uId;
    RECT rect;
    HINSTANCE hinst;
    LPWSTR lpszText;
    LPARAM lParam;
    void* lpReserved;
};
