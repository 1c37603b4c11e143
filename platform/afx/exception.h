// The framework's exceptions, thrown as pointers (`throw new
// CFileException(...)`, caught as `CException*`). An exception made by the
// framework deletes itself on Delete(); one made with autoDelete false
// (as the skin library's own) survives Delete() for its owner to free.
#pragma once

#include "afx/cstring.h"
#include "afx/object.h"

class CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    explicit CException(bool autoDelete = true) : m_bAutoDelete(autoDelete) {}
    // Frees the exception when it deletes itself.
    void Delete();
    bool m_bAutoDelete;
};

class CMemoryException : public CException {
    DECLARE_DYNAMIC(CMemoryException)
};

class CResourceException : public CException {
    DECLARE_DYNAMIC(CResourceException)
};

class CNotSupportedException : public CException {
    DECLARE_DYNAMIC(CNotSupportedException)
};

// An index or argument out of range (arrays).
class CInvalidArgException : public CException {
    DECLARE_DYNAMIC(CInvalidArgException)
};

class CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
public:
    enum {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };
    explicit CFileException(int cause = none, long osError = -1, const WCHAR* fileName = nullptr)
        : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}
    // The cause of an operating-system error number.
    static int OsErrorToException(long osError);
    int m_cause;
    long m_lOsError;
    CString m_strFileName;
};

class CArchiveException : public CException {
    DECLARE_DYNAMIC(CArchiveException)
public:
    enum { none, genericException, readOnly, endOfFile, writeOnly, badIndex, badClass, badSchema, bufferFull };
    explicit CArchiveException(int cause = none, const WCHAR* fileName = nullptr)
        : m_cause(cause), m_strFileName(fileName) {}
    int m_cause;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowResourceException();
[[noreturn]] void AfxThrowNotSupportedException();
[[noreturn]] void AfxThrowInvalidArgException();
[[noreturn]] void AfxThrowFileException(int cause, long osError = -1, const WCHAR* fileName = nullptr);
[[noreturn]] void AfxThrowArchiveException(int cause, const WCHAR* fileName = nullptr);
