// CzScriptStream: a private copy of the script text read line by line. A
// line ends at LF; an empty line reads as a single space, so only the end
// of the text gives an empty line.
#pragma once

#include "afx/cstring.h"

class CzScriptStream {
public:
    // The text of a script item: UTF-16LE, up to its NUL.
    CzScriptStream(const BYTE* data, DWORD size);
    // False at the end of the text (the line is then empty).
    bool fnReadLine(CString& line);
    void fnRewind();
    // The zero-based number of the last line read; -1 before the first.
    int fnGetLineNumber() const { return m_line; }
    // True when the line opens a section ("[" name "]"); its name in `name`.
    static bool fnSectionName(const CString& line, CString& name);
    // Moves past the line that opens the section (matched without regard to
    // case); false when there is none.
    bool fnSeekSection(const WCHAR* section);

private:
    std::wstring m_text;
    size_t m_at = 0;
    int m_line = -1;
};
