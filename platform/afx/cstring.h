// CString: the framework's wide string, of the platform's wide characters
// (whole Unicode code points, as everywhere on this platform; the archive
// writes them as UTF-16). Case mapping and case-insensitive comparison
// follow Unicode, not just ASCII.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

#include "win/wintypes.h"

class CString {
public:
    CString() = default;
    CString(const WCHAR* text) : text_(text != nullptr ? text : L"") {}
    CString(const WCHAR* text, int length) : text_(text != nullptr && length > 0 ? text : L"", Clamp(text, length)) {}
    CString(WCHAR ch, int repeat = 1) : text_(repeat > 0 ? static_cast<size_t>(repeat) : 0, ch) {}
    explicit CString(std::wstring_view text) : text_(text) {}
    // From UTF-8 (the platform's 8-bit code page).
    CString(const char* utf8);

    int GetLength() const { return static_cast<int>(text_.size()); }
    bool IsEmpty() const { return text_.empty(); }
    void Empty() { text_.clear(); }
    // Out-of-range positions read 0 and write nothing.
    WCHAR GetAt(int index) const;
    void SetAt(int index, WCHAR ch);
    WCHAR operator[](int index) const { return GetAt(index); }
    operator const WCHAR*() const { return text_.c_str(); }
    const WCHAR* GetString() const { return text_.c_str(); }
    const std::wstring& Wide() const { return text_; }
    std::string ToUtf8() const;

    CString& operator=(const WCHAR* text);
    CString& operator+=(const CString& other);
    CString& operator+=(const WCHAR* text);
    CString& operator+=(WCHAR ch);
    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const WCHAR* b);
    friend CString operator+(const WCHAR* a, const CString& b);
    friend bool operator==(const CString& a, const CString& b) { return a.text_ == b.text_; }
    friend bool operator==(const CString& a, const WCHAR* b) { return a.Compare(b) == 0; }
    friend bool operator<(const CString& a, const CString& b) { return a.text_ < b.text_; }

    // <0, 0 or >0, by code units; NoCase compares the upper-case forms.
    int Compare(const WCHAR* other) const;
    int CompareNoCase(const WCHAR* other) const;

    // Position of the first match at or after `start`, or -1.
    int Find(WCHAR ch, int start = 0) const;
    int Find(const WCHAR* sub, int start = 0) const;
    int ReverseFind(WCHAR ch) const;
    int FindOneOf(const WCHAR* set) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;
    CString& MakeUpper();
    CString& MakeLower();
    // Replacements made; an empty `from` replaces nothing.
    int Replace(WCHAR from, WCHAR to);
    int Replace(const WCHAR* from, const WCHAR* to);
    // Characters removed.
    int Remove(WCHAR ch);
    int Insert(int index, const WCHAR* text);
    int Delete(int index, int count = 1);
    CString& Trim();
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim(WCHAR ch);
    CString& TrimLeft(const WCHAR* set);
    CString& TrimRight(const WCHAR* set);

    // printf formatting with wide format strings: %s and %c take wide
    // arguments, %S and %C narrow ones (as the framework's wide build).
    void Format(const WCHAR* format, ...);
    void FormatV(const WCHAR* format, va_list arguments);
    void AppendFormat(const WCHAR* format, ...);

private:
    static size_t Clamp(const WCHAR* text, int length);
    std::wstring text_;
};
