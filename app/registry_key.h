// CRegistryKey: every registry access of the application. A key is named by
// a root and a sub-key path; each read and write opens the key afresh and
// closes it again, so an object holds no open handle.
#pragma once

#include "afx/cstring.h"
#include "registry/registry.h"

class CRegistryKey {
public:
    // Longest text ReadString accepts, in characters. Paths on this system
    // reach 4095 bytes; a longer value is refused, never cut.
    static constexpr DWORD kLongestText = 4096;
    // WriteString refuses texts of this many characters or more.
    static constexpr int kWriteLimit = 512;

    // The four predefined roots only; FALSE (and no change) otherwise.
    BOOL SetRootKey(HKEY root);
    // Opens (or with `create` creates) the sub-key under the root and makes
    // it the current one; an empty path clears the current sub-key and
    // succeeds. FALSE when the key cannot be opened or created.
    BOOL OpenKey(LPCWSTR path, BOOL create);
    // 0 with the text of a REG_SZ or REG_EXPAND_SZ value; 1 otherwise
    // (`text` then unchanged).
    LONG ReadString(LPCWSTR name, CString& text);
    // 0 when written as REG_SZ with its terminating zero; 1 when refused
    // (kWriteLimit characters or more) or the write failed.
    LONG WriteString(LPCWSTR name, LPCWSTR text);
    // 0 with up to four bytes of the value, whatever its type; 1 when it is
    // missing or longer (`value` then unchanged).
    LONG ReadNumber(LPCWSTR name, DWORD& value);
    // 0 when written as a four-byte REG_BINARY value; 1 otherwise.
    LONG WriteNumber(LPCWSTR name, DWORD value);
    // 0 when the value is gone; 1 otherwise.
    LONG DeleteValue(LPCWSTR name);

    HKEY GetRootKey() const { return m_root; }
    const CString& GetSubKey() const { return m_subKey; }
    // The system's code of the last failed call (0 after a success).
    LONG GetLastError() const { return m_lastError; }

private:
    // Opens the current key; null (with the error kept) when it cannot be.
    HKEY Open();
    LONG Done(LSTATUS status);

    LONG m_lastError = 0;
    HKEY m_root = HKEY_CURRENT_USER;
    bool m_noFlush = true;
    CString m_subKey;
};
