#include "skin/package/script_stream.h"

#include "skin/package/utf16le.h"
#include "win/text.h"

CzScriptStream::CzScriptStream(const BYTE* data, DWORD size)
    : m_text(movanta::Utf16ToWide(skin::Utf16LeText(data, size))) {}

bool CzScriptStream::fnReadLine(CString& line) {
    if (m_at >= m_text.size()) {
        line.Empty();
        return false;
    }
    size_t end = m_text.find(L'\n', m_at);
    if (end == std::wstring::npos) end = m_text.size();
    line = CString(std::wstring_view(m_text).substr(m_at, end - m_at));
    if (line.IsEmpty()) line = L" ";
    m_at = end + 1;
    ++m_line;
    return true;
}

void CzScriptStream::fnRewind() {
    m_at = 0;
    m_line = -1;
}

bool CzScriptStream::fnSectionName(const CString& line, CString& name) {
    const int open = line.Find(L'[');
    const int close = open < 0 ? -1 : line.Find(L']', open + 1);
    if (close <= open) return false;
    name = line.Mid(open + 1, close - open - 1);
    return true;
}

bool CzScriptStream::fnSeekSection(const WCHAR* section) {
    fnRewind();
    CString line;
    CString name;
    while (fnReadLine(line)) {
        if (fnSectionName(line, name) && name.CompareNoCase(section) == 0) return true;
    }
    return false;
}
