#include "afx/cstring.h"

#include <locale.h>
#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "win/text.h"

namespace {

// Case mapping needs a locale that knows Unicode, whatever the process's.
locale_t UnicodeLocale() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

WCHAR Upper(WCHAR ch) {
    const locale_t locale = UnicodeLocale();
    return locale != nullptr ? static_cast<WCHAR>(towupper_l(static_cast<wint_t>(ch), locale))
                             : static_cast<WCHAR>(std::towupper(static_cast<wint_t>(ch)));
}

WCHAR Lower(WCHAR ch) {
    const locale_t locale = UnicodeLocale();
    return locale != nullptr ? static_cast<WCHAR>(towlower_l(static_cast<wint_t>(ch), locale))
                             : static_cast<WCHAR>(std::towlower(static_cast<wint_t>(ch)));
}

bool IsSpace(WCHAR ch) {
    return ch == L' ' || (ch >= L'\t' && ch <= L'\r');
}

// The framework's wide format (%s, %c wide; %S, %C narrow) in the C
// library's terms (%ls, %lc; %s, %c).
std::wstring CLibraryFormat(const WCHAR* format) {
    std::wstring out;
    for (const WCHAR* at = format; *at != 0; ++at) {
        out += *at;
        if (*at != L'%') continue;
        ++at;
        if (*at == L'%') {
            out += *at;
            continue;
        }
        while (*at != 0 && std::wcschr(L"-+ #0123456789.*hlLqjzt", *at) != nullptr) out += *at++;
        if (*at == 0) break;
        switch (*at) {
            case L's': out += L"ls"; break;
            case L'c': out += L"lc"; break;
            case L'S': out += L's'; break;
            case L'C': out += L'c'; break;
            default: out += *at;
        }
    }
    return out;
}

}  // namespace

CString::CString(const char* utf8) : text_(movanta::Utf8ToWide(utf8 != nullptr ? utf8 : "")) {}

size_t CString::Clamp(const WCHAR* text, int length) {
    if (text == nullptr || length <= 0) return 0;
    return static_cast<size_t>(length);
}

WCHAR CString::GetAt(int index) const {
    return index >= 0 && index < GetLength() ? text_[static_cast<size_t>(index)] : 0;
}

void CString::SetAt(int index, WCHAR ch) {
    if (index >= 0 && index < GetLength()) text_[static_cast<size_t>(index)] = ch;
}

std::string CString::ToUtf8() const {
    return movanta::WideToUtf8(text_);
}

CString& CString::operator=(const WCHAR* text) {
    text_ = text != nullptr ? text : L"";
    return *this;
}

CString& CString::operator+=(const CString& other) {
    text_ += other.text_;
    return *this;
}

CString& CString::operator+=(const WCHAR* text) {
    if (text != nullptr) text_ += text;
    return *this;
}

CString& CString::operator+=(WCHAR ch) {
    text_ += ch;
    return *this;
}

CString operator+(const CString& a, const CString& b) {
    CString sum(a);
    return sum += b;
}

CString operator+(const CString& a, const WCHAR* b) {
    CString sum(a);
    return sum += b;
}

CString operator+(const WCHAR* a, const CString& b) {
    CString sum(a);
    return sum += b;
}

int CString::Compare(const WCHAR* other) const {
    const int result = text_.compare(other != nullptr ? other : L"");
    return result < 0 ? -1 : result > 0 ? 1 : 0;
}

int CString::CompareNoCase(const WCHAR* other) const {
    const WCHAR* a = text_.c_str();
    const WCHAR* b = other != nullptr ? other : L"";
    for (;; ++a, ++b) {
        const WCHAR x = Upper(*a);
        const WCHAR y = Upper(*b);
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
}

int CString::Find(WCHAR ch, int start) const {
    if (start < 0 || start >= GetLength()) return -1;
    const size_t at = text_.find(ch, static_cast<size_t>(start));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::Find(const WCHAR* sub, int start) const {
    if (sub == nullptr || start < 0 || start > GetLength()) return -1;
    const size_t at = text_.find(sub, static_cast<size_t>(start));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(WCHAR ch) const {
    const size_t at = text_.rfind(ch);
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::FindOneOf(const WCHAR* set) const {
    if (set == nullptr) return -1;
    const size_t at = text_.find_first_of(set);
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

CString CString::Mid(int first) const {
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const {
    if (first < 0) first = 0;
    if (count < 0 || first >= GetLength()) return CString();
    return CString(std::wstring_view(text_).substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::Left(int count) const {
    return Mid(0, count);
}

CString CString::Right(int count) const {
    if (count <= 0) return CString();
    return count >= GetLength() ? *this : Mid(GetLength() - count);
}

CString& CString::MakeUpper() {
    for (WCHAR& ch : text_) ch = Upper(ch);
    return *this;
}

CString& CString::MakeLower() {
    for (WCHAR& ch : text_) ch = Lower(ch);
    return *this;
}

int CString::Replace(WCHAR from, WCHAR to) {
    int count = 0;
    for (WCHAR& ch : text_) {
        if (ch == from) {
            ch = to;
            ++count;
        }
    }
    return count;
}

int CString::Replace(const WCHAR* from, const WCHAR* to) {
    if (from == nullptr || *from == 0) return 0;
    const std::wstring_view what(from);
    const std::wstring_view with(to != nullptr ? to : L"");
    std::wstring out;
    int count = 0;
    size_t at = 0;
    for (size_t found; (found = text_.find(what, at)) != std::wstring::npos; at = found + what.size()) {
        out.append(text_, at, found - at);
        out += with;
        ++count;
    }
    out.append(text_, at, std::wstring::npos);
    text_ = std::move(out);
    return count;
}

int CString::Remove(WCHAR ch) {
    const size_t before = text_.size();
    std::erase(text_, ch);
    return static_cast<int>(before - text_.size());
}

int CString::Insert(int index, const WCHAR* text) {
    if (index < 0) index = 0;
    if (index > GetLength()) index = GetLength();
    if (text != nullptr) text_.insert(static_cast<size_t>(index), text);
    return GetLength();
}

int CString::Delete(int index, int count) {
    if (index < 0) index = 0;
    if (count > 0 && index < GetLength()) text_.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

CString& CString::Trim() {
    return TrimRight().TrimLeft();
}

CString& CString::TrimLeft() {
    size_t at = 0;
    while (at < text_.size() && IsSpace(text_[at])) ++at;
    text_.erase(0, at);
    return *this;
}

CString& CString::TrimRight() {
    while (!text_.empty() && IsSpace(text_.back())) text_.pop_back();
    return *this;
}

CString& CString::Trim(WCHAR ch) {
    const WCHAR set[2] = {ch, 0};
    return TrimRight(set).TrimLeft(set);
}

CString& CString::TrimLeft(const WCHAR* set) {
    if (set != nullptr) text_.erase(0, std::min(text_.find_first_not_of(set), text_.size()));
    return *this;
}

CString& CString::TrimRight(const WCHAR* set) {
    if (set == nullptr) return *this;
    const size_t last = text_.find_last_not_of(set);
    text_.erase(last == std::wstring::npos ? 0 : last + 1);
    return *this;
}

void CString::Format(const WCHAR* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    FormatV(format, arguments);
    va_end(arguments);
}

void CString::AppendFormat(const WCHAR* format, ...) {
    CString more;
    va_list arguments;
    va_start(arguments, format);
    more.FormatV(format, arguments);
    va_end(arguments);
    *this += more;
}

void CString::FormatV(const WCHAR* format, va_list arguments) {
    text_.clear();
    if (format == nullptr) return;
    const std::wstring cFormat = CLibraryFormat(format);
    // The C library answers -1 both for too small a buffer and for text it
    // cannot convert; the buffer grows to 16 M characters at most.
    for (size_t size = 256; size <= (size_t {1} << 24); size *= 2) {
        std::vector<WCHAR> buffer(size);
        va_list copy;
        va_copy(copy, arguments);
        const int written = std::vswprintf(buffer.data(), size, cFormat.c_str(), copy);
        va_end(copy);
        if (written >= 0) {
            text_.assign(buffer.data(), static_cast<size_t>(written));
            return;
        }
    }
}
