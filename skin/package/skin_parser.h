// CzSkinParser: reads a section of the skin script and builds a window's
// items from it. This part holds what needs no window: the key kinds and
// the tag tests and readers.
//
// A key line is name "=" value: the name as written (spaces kept), the
// value without a "//" comment and without any space. A tag is a name and
// its fields up to ";" (or the end of the value), fields separated by ",";
// a field list without its commas consumes the rest of the value. Numbers
// are decimal with an optional sign; "number or hex" also takes "0x" and
// hexadecimal digits (any case).
#pragma once

#include "afx/collections.h"
#include "afx/drawing.h"
#include "afx/geometry.h"
#include "gdi/wingdi.h"

enum KEY_TYPE {
    KEY_NONE = 0,
    KEY_CUSTOM = 1,
    KEY_CANVAS = 2,
    KEY_BTN = 3,
    KEY_CTRL = 4,
    KEY_TEXT = 5,
    KEY_IMAGE = 6,
    KEY_ICON = 7,
    KEY_SPLIT = 8
};

class CzFActionRelay;
class CzSkinPackage;
class CWnd;
struct CzLocation;  // an item's layout record, made with the window

// An "ALIGN:" anchor: the item it refers to (null: the window's canvas),
// the anchor flags and the two percentages or offsets.
struct CzRefObj {
    CzLocation* m_pRef = nullptr;
    int m_flags = 0;
    int m_dx = 0;
    int m_dy = 0;
};

// A key of the script that is not an item: its name, value and line.
struct CzCustomKey {
    CString m_key;
    CString m_value;
    int m_line = 0;
};

// An item key of the applied section, kept until its window is built.
struct CzItemKey {
    KEY_TYPE m_kind = KEY_NONE;
    CString m_key;
    CString m_value;
    int m_line = 0;
};

class CzSkinParser {
public:
    // Loads the shared package the first time (a name without a folder is
    // looked for beside the program), makes its fonts from the "Font"
    // section the first time, then reads `section`: its custom keys and its
    // item keys. packageUnreadable or sectionNotFound on failure. With a
    // canvas window each item key then builds its item on it (Canvas, Btn,
    // Ctrl, Text, Image, Icon and Split keys; a later Canvas key makes a
    // slot), registering its master key. controlNotCreated when a control,
    // slot or splitter cannot be made.
    void fnParse(const WCHAR* package, const WCHAR* section, CWnd* window);
    // The value of the first custom key of exactly that name, or empty.
    CString fnGetCustomKey(const WCHAR* name) const;
    // The name of custom key `index` (empty out of range); its value in `value`.
    CString fnGetCustomKey(int index, CString& value) const;
    int fnGetNumberCustomKeys() const { return static_cast<int>(m_customKeys.size()); }
    // The item registered under that exact name in the last section, or null.
    CzLocation* fnGetMasterKey(const WCHAR* name) const;
    const std::vector<CzItemKey>& fnGetItemKeys() const { return m_itemKeys; }

    // The package every parser of the process shares.
    static CzSkinPackage& fnGetPackage();

    // The picture item `name` as a new bitmap the caller owns: a stored BMP
    // (any depth, 8-bit run-length too) or a picture the platform's loader
    // reads (24 bits). resourceNotFound for a missing, empty or malformed
    // item; the memory exception when the bitmap cannot be made.
    HBITMAP fnLoadImage(const WCHAR* name) const;
    // The picture cut into `count` frames of an image list masked by `mask`.
    void fnLoadImage(const WCHAR* name, CImageList& list, int count, COLORREF mask) const;

    // Case-insensitive test for `tag` at p; advances p past it when found.
    static bool fnIsTag(WCHAR*& p, const WCHAR* tag);
    static bool fnIsTagPOS(WCHAR*& p) { return fnIsTag(p, L"POS:"); }
    static bool fnIsTagGRID(WCHAR*& p) { return fnIsTag(p, L"GRID:"); }
    static bool fnIsTagALIGN(WCHAR*& p) { return fnIsTag(p, L"ALIGN:"); }
    static bool fnIsTagIMAGE(WCHAR*& p) { return fnIsTag(p, L"IMAGE:"); }
    static bool fnIsTagMASK(WCHAR*& p) { return fnIsTag(p, L"MASK:"); }
    static bool fnIsTagID(WCHAR*& p) { return fnIsTag(p, L"ID:"); }
    static bool fnIsTagSTYLE(WCHAR*& p) { return fnIsTag(p, L"STYLE:"); }
    static bool fnIsTagCLASS(WCHAR*& p) { return fnIsTag(p, L"CLASS:"); }
    static bool fnIsTagALPHA(WCHAR*& p) { return fnIsTag(p, L"ALPHA:"); }
    static bool fnIsTagFONT(WCHAR*& p) { return fnIsTag(p, L"FONT:"); }
    static bool fnIsTagFORMAT(WCHAR*& p) { return fnIsTag(p, L"FORMAT:"); }
    static bool fnIsTagCOLOR(WCHAR*& p) { return fnIsTag(p, L"COLOR:"); }
    static bool fnIsTagMARGIN(WCHAR*& p) { return fnIsTag(p, L"MARGIN:"); }
    static bool fnIsTagComment(const WCHAR* line);

    // Each reads one tag's fields and advances p past its ";"; false when
    // the fields were not all there (the colour then stays unchanged).
    static bool fnParseTag(WCHAR*& p, CRect& rect);
    static bool fnParseTag(WCHAR*& p, CString& name, int& count);
    static bool fnParseTag(WCHAR*& p, CString& name, int& count, int& index);
    static bool fnParseTag(WCHAR*& p, int& value);
    static bool fnParseTag(WCHAR*& p, int& first, int& second);
    static bool fnParseTag(WCHAR*& p, CString& text);
    static bool fnParseTag(WCHAR*& p, COLORREF& colour);
    // "ALIGN:": an optional reference name (empty when the first field is a
    // number), the flags, then dx and dy when given; otherwise `offset`
    // keeps the values it had.
    static bool fnParseTag(WCHAR*& p, CString& reference, int& flags, CSize& offset);

    // The kind of a script line, with its key name and cleaned value.
    static KEY_TYPE fnParseKey(const CString& line, CString& name, CString& value);

protected:
    // Registers an item under its key name; a key named exactly "Canvas"
    // registers as "Canvas" and the section's name.
    void fnAddMasterKey(const CString& key, CzLocation* location);
    // The anchors of a value's "ALIGN:" tags: a tag without a reference
    // name repeats the previous one's, dx and dy not given keep the
    // previous ones' (0 at first); unregistered names mean the canvas.
    void fnReadRefs(const CString& value, CArray<CzRefObj>& refs) const;
    // The font list of the language wanted, else of "0409", else empty.
    static CString fnChooseFontList(const std::vector<CzCustomKey>& languages, WORD language);
    // Appends the fonts of a "Font" list ("face,height,weight,quality;"...)
    // to the package, stopping at the first malformed entry.
    static void fnParseFontKey(const CString& list);
    // Decodes BMP 8-bit run-length data into `pixels` (stride x height,
    // bottom row first, zeros where nothing is written). Runs and moves past
    // the picture's edges are cut off there.
    static void fnDecompressRle8(const BYTE* data, size_t size, int width, int height, size_t stride, BYTE* pixels);
    static void fnSkipTag(WCHAR*& p);
    static bool fnIsInStringArray(const CStringArray& array, const WCHAR* text);
    static bool fnIsNumber(const CString& field);

private:
    void LoadPackage(const WCHAR* package);
    void MakeFonts();
    // The tags of an item key's value that the handlers read.
    // IMAGE reads name,count, or name,count,index for an Icon key.
    static struct CzItemTags ReadItemTags(const CString& value, bool icon);
    void ApplyKey(CzFActionRelay& relay, const CzItemKey& key);
    void ApplyCanvas(CzFActionRelay& relay, const CzItemKey& key);
    void ApplyButton(CzFActionRelay& relay, const CzItemKey& key);
    void ApplyStatic(CzFActionRelay& relay, const CzItemKey& key);
    void ApplyControl(CzFActionRelay& relay, const CzItemKey& key);
    void ApplySplitter(CzFActionRelay& relay, const CzItemKey& key);
    // A canvas whose Canvas key has STYLE 0x40000000 goes into its owner
    // (popups) or parent under its master-key name, at POS over it.
    static void Embed(CWnd& window, const CString& name, const CRect& pos);

    std::vector<std::pair<CString, CzLocation*>> m_masterKeys;
    std::vector<CzCustomKey> m_customKeys;
    std::vector<CzItemKey> m_itemKeys;
    CString m_section;
    bool m_canvasSet = false;  // the first Canvas key made the window's picture
};
