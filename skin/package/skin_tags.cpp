// The tag tests and readers, and the classification of key lines.
#include <cwchar>
#include <cwctype>

#include "skin/package/skin_parser.h"

namespace {

// Reads a number at p (decimal, or hexadecimal after "0x" when allowed).
int Number(WCHAR*& p, bool hex) {
    if (hex && p[0] == L'0' && (p[1] == L'x' || p[1] == L'X')) {
        WCHAR* end = nullptr;
        const unsigned long value = std::wcstoul(p + 2, &end, 16);
        if (end == p + 2) return 0;
        p = end;
        return static_cast<int>(value);
    }
    WCHAR* end = nullptr;
    const long value = std::wcstol(p, &end, 10);
    p = end;
    return static_cast<int>(value);
}

// Expects the "," between two fields; without it the rest of the value goes.
bool Comma(WCHAR*& p) {
    if (*p == L',') {
        ++p;
        return true;
    }
    p += std::wcslen(p);
    return false;
}

// The text up to the next "," or ";" (or the end).
CString Field(WCHAR*& p) {
    const WCHAR* start = p;
    while (*p != 0 && *p != L',' && *p != L';') ++p;
    return CString(start, static_cast<int>(p - start));
}

bool Done(WCHAR*& p, bool complete) {
    while (*p != 0 && *p != L';') ++p;
    if (*p == L';') ++p;
    return complete;
}

}  // namespace

bool CzSkinParser::fnIsTag(WCHAR*& p, const WCHAR* tag) {
    if (p == nullptr || tag == nullptr) return false;
    const size_t length = std::wcslen(tag);
    for (size_t i = 0; i < length; ++i) {
        if (p[i] == 0 || std::towupper(static_cast<wint_t>(p[i])) != std::towupper(static_cast<wint_t>(tag[i])))
            return false;
    }
    p += length;
    return true;
}

bool CzSkinParser::fnIsTagComment(const WCHAR* line) {
    return line != nullptr && line[0] == L'/' && line[1] == L'/';
}

void CzSkinParser::fnSkipTag(WCHAR*& p) {
    Done(p, true);
}

bool CzSkinParser::fnIsNumber(const CString& field) {
    return field.Left(2).CompareNoCase(L"0x") == 0 || field.FindOneOf(L"0123456789") >= 0;
}

bool CzSkinParser::fnIsInStringArray(const CStringArray& array, const WCHAR* text) {
    for (int i = 0; i < array.GetSize(); ++i) {
        if (array[i].CompareNoCase(text) == 0) return true;
    }
    return false;
}

bool CzSkinParser::fnParseTag(WCHAR*& p, CRect& rect) {
    LONG* edges[4] = {&rect.left, &rect.top, &rect.right, &rect.bottom};
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && !Comma(p)) return false;
        *edges[i] = Number(p, false);
    }
    return Done(p, true);
}

bool CzSkinParser::fnParseTag(WCHAR*& p, CString& name, int& count) {
    name = Field(p);
    if (!Comma(p)) return false;
    count = Number(p, false);
    return Done(p, true);
}

bool CzSkinParser::fnParseTag(WCHAR*& p, CString& name, int& count, int& index) {
    name = Field(p);
    if (!Comma(p)) return false;
    count = Number(p, false);
    if (!Comma(p)) return false;
    index = Number(p, false);
    return Done(p, true);
}

bool CzSkinParser::fnParseTag(WCHAR*& p, int& value) {
    value = Number(p, true);
    return Done(p, true);
}

bool CzSkinParser::fnParseTag(WCHAR*& p, int& first, int& second) {
    first = Number(p, false);
    if (!Comma(p)) return false;
    second = Number(p, false);
    return Done(p, true);
}

bool CzSkinParser::fnParseTag(WCHAR*& p, CString& text) {
    const WCHAR* start = p;
    while (*p != 0 && *p != L';') ++p;
    text = CString(start, static_cast<int>(p - start));
    return Done(p, true);
}

bool CzSkinParser::fnParseTag(WCHAR*& p, COLORREF& colour) {
    int parts[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        if (i > 0 && !Comma(p)) return false;
        parts[i] = Number(p, false);
    }
    colour =
        RGB(static_cast<BYTE>(parts[0] & 0xFF), static_cast<BYTE>(parts[1] & 0xFF), static_cast<BYTE>(parts[2] & 0xFF));
    return Done(p, true);
}

bool CzSkinParser::fnParseTag(WCHAR*& p, CString& reference, int& flags, CSize& offset) {
    reference.Empty();
    WCHAR* look = p;
    const CString first = Field(look);
    if (!fnIsNumber(first)) {
        reference = first;
        p = look;
        if (!Comma(p)) return false;
    }
    flags = Number(p, true);
    Field(p);  // the flags end at the next "," or ";"
    if (*p == L',') {
        ++p;
        offset.cx = Number(p, false);
        if (!Comma(p)) return false;
        offset.cy = Number(p, false);
    }
    return Done(p, true);
}

KEY_TYPE CzSkinParser::fnParseKey(const CString& line, CString& name, CString& value) {
    const int equals = line.Find(L'=');
    if (equals <= 0 || equals + 1 >= line.GetLength()) return KEY_NONE;
    name = line.Left(equals);
    value = line.Mid(equals + 1);
    const int slash = value.Find(L'/');
    if (slash >= 0 && value.GetAt(slash + 1) == L'/') value = value.Left(slash);
    value.Remove(L' ');
    static const struct {
        const WCHAR* prefix;
        KEY_TYPE kind;
    } kKinds[] = {{L"Canvas", KEY_CANVAS}, {L"Btn", KEY_BTN},     {L"Ctrl", KEY_CTRL}, {L"Split", KEY_SPLIT},
                  {L"Text", KEY_TEXT},     {L"Image", KEY_IMAGE}, {L"Icon", KEY_ICON}};
    for (const auto& kind : kKinds) {
        if (name.Left(static_cast<int>(std::wcslen(kind.prefix))).CompareNoCase(kind.prefix) == 0) return kind.kind;
    }
    return KEY_CUSTOM;
}
