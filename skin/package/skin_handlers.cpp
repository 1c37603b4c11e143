// What the item keys of a section build on a canvas window.
#include <memory>

#include "afx/drawing.h"
#include "skin/buttons/action_relay.h"
#include "skin/package/parser_exception.h"
#include "skin/package/skin_parser.h"

// The tags of one item key's value.
struct CzItemTags {
    CRect pos;
    CRect grid;
    CString image;
    int imageCount = 0;
    int imageIndex = 0;
    CString mask;
    int id = 0;
    int style = 0;
    int alpha = 255;
    int font = 0;
    int format = 0;
    COLORREF colour = 0;
    bool hasColour = false;
    bool hasFont = false;
    CString className;
    int firstMargin = 50;
    int secondMargin = 50;
};

CzItemTags CzSkinParser::ReadItemTags(const CString& value, bool icon) {
    CzItemTags tags;
    std::wstring text(value.Wide());
    WCHAR* p = text.data();
    while (*p != 0) {
        if (fnIsTagPOS(p)) {
            fnParseTag(p, tags.pos);
        } else if (fnIsTagGRID(p)) {
            fnParseTag(p, tags.grid);
        } else if (fnIsTagIMAGE(p)) {
            if (icon) {
                fnParseTag(p, tags.image, tags.imageCount, tags.imageIndex);
            } else {
                fnParseTag(p, tags.image, tags.imageCount);
            }
        } else if (fnIsTagMASK(p)) {
            int count = 0;
            fnParseTag(p, tags.mask, count);
        } else if (fnIsTagID(p)) {
            fnParseTag(p, tags.id);
        } else if (fnIsTagSTYLE(p)) {
            fnParseTag(p, tags.style);
        } else if (fnIsTagALPHA(p)) {
            fnParseTag(p, tags.alpha);
        } else if (fnIsTagFONT(p)) {
            tags.hasFont = fnParseTag(p, tags.font);
        } else if (fnIsTagCLASS(p)) {
            fnParseTag(p, tags.className);
        } else if (fnIsTagMARGIN(p)) {
            fnParseTag(p, tags.firstMargin, tags.secondMargin);
        } else if (fnIsTagFORMAT(p)) {
            fnParseTag(p, tags.format);
        } else if (fnIsTagCOLOR(p)) {
            tags.hasColour = fnParseTag(p, tags.colour);
        } else {
            fnSkipTag(p);
        }
    }
    return tags;
}

namespace {

// Frees a loaded picture unless it was handed on.
struct LoadedPicture {
    HBITMAP picture = nullptr;
    ~LoadedPicture() {
        if (picture != nullptr) DeleteObject(picture);
    }
    HBITMAP Release() { return std::exchange(picture, nullptr); }
};

}  // namespace

void CzSkinParser::ApplyKey(CzFActionRelay& relay, const CzItemKey& key) {
    switch (key.m_kind) {
        case KEY_CANVAS: ApplyCanvas(relay, key); break;
        case KEY_BTN: ApplyButton(relay, key); break;
        case KEY_TEXT:
        case KEY_IMAGE:
        case KEY_ICON: ApplyStatic(relay, key); break;
        case KEY_CTRL: ApplyControl(relay, key); break;
        case KEY_SPLIT: ApplySplitter(relay, key); break;
        default: break;
    }
}

void CzSkinParser::ApplyCanvas(CzFActionRelay& relay, const CzItemKey& key) {
    const CzItemTags tags = ReadItemTags(key.m_value, key.m_kind == KEY_ICON);
    if (m_canvasSet) {
        // A later Canvas key is the slot where the canvas of that name goes.
        CArray<CzRefObj> refs;
        fnReadRefs(key.m_value, refs);
        if (!relay.fnCreateCtrl(tags.pos, refs, key.m_key))
            CzSkinParserException::fnThrow(CzSkinParserException::controlNotCreated);
        return;
    }
    if (tags.image.IsEmpty()) return;
    LoadedPicture image {fnLoadImage(tags.image)};
    LoadedPicture mask {tags.mask.IsEmpty() ? nullptr : fnLoadImage(tags.mask)};
    CArray<CzRefObj> refs;
    fnReadRefs(key.m_value, refs);
    const auto style = static_cast<DWORD>(tags.style);
    CWnd* window = relay.fnGetWnd();
    if (window != nullptr && (style & 0x40000000) == 0) {
        if ((style & 0x2) != 0) {
            window->ModifyStyle(0, WS_THICKFRAME);
        } else {
            window->ModifyStyle(WS_THICKFRAME, 0);
        }
    }
    relay.fnSetLocation(tags.pos, refs);
    relay.fnSetCanvas(image.picture, mask.picture, style, tags.grid, tags.alpha == 255);
    relay.fnSetAlpha(static_cast<BYTE>(tags.alpha), true);
    m_canvasSet = true;
    fnAddMasterKey(key.m_key, relay.fnGetPtrLocate(1, 0));
    if (window != nullptr && (style & 0x40000000) != 0) Embed(*window, m_masterKeys.back().first, tags.pos);
}

void CzSkinParser::Embed(CWnd& window, const CString& name, const CRect& pos) {
    const bool popup = (window.GetStyle() & WS_CHILD) == 0;
    HWND host = popup ? GetWindow(window.GetSafeHwnd(), GW_OWNER) : GetParent(window.GetSafeHwnd());
    if (host == nullptr) return;
    CzFActionRelay(CWnd::FromHandle(host)).fnEmbedWindow(window.GetSafeHwnd(), name);
    if (popup) {
        // The client area is the whole window here, so the host's origin
        // is where its frame starts.
        CPoint origin(pos.left, pos.top);
        ClientToScreen(host, &origin);
        window.SetWindowPos(nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CzSkinParser::ApplyControl(CzFActionRelay& relay, const CzItemKey& key) {
    CzItemTags tags = ReadItemTags(key.m_value, false);
    if (tags.pos.IsRectNull() || tags.id == 0 || tags.className.IsEmpty()) return;
    const CString& name = tags.className;
    const bool framed = name == L"EDIT" || name == L"LISTBOX" || name == L"SysListView32" || name == L"SysTreeView32";
    CArray<CzRefObj> refs;
    fnReadRefs(key.m_value, refs);
    const auto id = static_cast<UINT>(tags.id);
    if (relay.fnCreateCtrl(framed ? WS_EX_CLIENTEDGE : 0, name.GetString(), nullptr, static_cast<DWORD>(tags.style),
                           tags.pos, refs, id, tags.hasFont ? tags.font : -1) == nullptr) {
        CzSkinParserException::fnThrow(CzSkinParserException::controlNotCreated);
    }
    fnAddMasterKey(key.m_key, relay.fnGetPtrLocate(3, id));
}

void CzSkinParser::ApplySplitter(CzFActionRelay& relay, const CzItemKey& key) {
    const CzItemTags tags = ReadItemTags(key.m_value, false);
    if (tags.pos.IsRectNull() || tags.id == 0) return;
    CArray<CzRefObj> refs;
    fnReadRefs(key.m_value, refs);
    const auto id = static_cast<UINT>(tags.id);
    if (!relay.fnCreateCtrl(tags.pos, refs, id, tags.firstMargin, tags.secondMargin)) {
        CzSkinParserException::fnThrow(CzSkinParserException::controlNotCreated);
    }
    fnAddMasterKey(key.m_key, relay.fnGetPtrLocate(7, id));
}

void CzSkinParser::ApplyButton(CzFActionRelay& relay, const CzItemKey& key) {
    const CzItemTags tags = ReadItemTags(key.m_value, key.m_kind == KEY_ICON);
    if (tags.pos.IsRectNull() || tags.image.IsEmpty() || tags.imageCount == 0 || tags.id == 0) return;
    LoadedPicture strip {fnLoadImage(tags.image)};
    CArray<CzRefObj> refs;
    fnReadRefs(key.m_value, refs);
    relay.fnAddBtn(static_cast<UINT>(tags.id), strip.Release(), tags.pos, refs, static_cast<UINT>(tags.imageCount),
                   static_cast<DWORD>(tags.style));
    fnAddMasterKey(key.m_key, relay.fnGetPtrLocate(2, static_cast<UINT>(tags.id)));
}

void CzSkinParser::ApplyStatic(CzFActionRelay& relay, const CzItemKey& key) {
    const CzItemTags tags = ReadItemTags(key.m_value, key.m_kind == KEY_ICON);
    if (tags.id == 0) return;
    const auto id = static_cast<UINT>(tags.id);
    CArray<CzRefObj> refs;
    fnReadRefs(key.m_value, refs);
    int kind = 0;
    HANDLE handle = nullptr;
    if (key.m_kind == KEY_TEXT) {
        if (tags.pos.IsRectNull() || relay.fnAcquireString(tags.id) == nullptr) return;
        if (!tags.image.IsEmpty() && tags.imageCount != 1) return;
        handle = tags.image.IsEmpty() ? nullptr : fnLoadImage(tags.image);
        kind = 4;
        relay.fnAddStatic(4, tags.pos, refs, id, handle, static_cast<UINT>(tags.format), static_cast<UINT>(tags.font),
                          tags.colour);
    } else if (key.m_kind == KEY_IMAGE) {
        if (tags.pos.IsRectNull()) return;
        kind = 5;
        relay.fnAddStatic(5, tags.pos, refs, id, fnLoadImage(tags.image), 0, 0, 0);
    } else {
        if (tags.image.IsEmpty() || tags.imageCount == 0) return;
        CImageList list;
        fnLoadImage(tags.image, list, tags.imageCount, tags.hasColour ? tags.colour : RGB(255, 0, 255));
        HICON icon = list.ExtractIcon(tags.imageIndex);
        if (icon == nullptr) return;
        kind = 6;
        relay.fnAddStatic(6, tags.pos, refs, id, icon, 0, 0, 0);
    }
    fnAddMasterKey(key.m_key, relay.fnGetPtrLocate(kind, id));
}
