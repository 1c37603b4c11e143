// CFile: a binary file with the framework's open and share modes. Sharing
// is kept between every opener of the file, in this process and others:
// an open fails with a sharing violation when another opener denies the
// access asked for, or already has an access this open would deny
// (shareCompat counts as shareExclusive, as in the framework).
#pragma once

#include <cstdint>

#include "afx/cstring.h"
#include "afx/exception.h"
#include "afx/object.h"

class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeBinary = 0x8000,
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    CFile() = default;
    // Opens or throws the CFileException* of the failure.
    CFile(const WCHAR* path, UINT flags);
    ~CFile() override;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // False on failure, with the cause in `error` when given.
    virtual bool Open(const WCHAR* path, UINT flags, CFileException* error = nullptr);
    // Bytes read, fewer than asked at the end of the file; throws on errors.
    virtual UINT Read(void* buffer, UINT count);
    // Writes all or throws (diskFull, accessDenied...).
    virtual void Write(const void* buffer, UINT count);
    virtual ULONGLONG Seek(LONGLONG offset, UINT from);
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG length);
    virtual void Flush();
    // Closes; throws when the file cannot be closed cleanly.
    virtual void Close();
    // Closes and ignores failures.
    virtual void Abort();
    bool IsOpen() const { return fd_ >= 0; }
    const CString& GetFilePath() const { return path_; }

private:
    [[noreturn]] void Throw(int osError) const;
    int fd_ = -1;
    int lockFd_ = -1;  // holds the share-mode locks; fd_ itself when readable
    CString path_;
};
