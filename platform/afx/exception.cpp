#include "afx/exception.h"

#include <cerrno>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CResourceException, CException)
IMPLEMENT_DYNAMIC(CNotSupportedException, CException)
IMPLEMENT_DYNAMIC(CInvalidArgException, CException)
IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CArchiveException, CException)

void CException::Delete() {
    if (m_bAutoDelete) delete this;
}

int CFileException::OsErrorToException(long osError) {
    switch (osError) {
        case 0: return none;
        case ENOENT: return fileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP: return badPath;
        case EMFILE:
        case ENFILE: return tooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case EEXIST: return accessDenied;
        case EBADF: return invalidFile;
        case EBUSY:
        case ETXTBSY: return sharingViolation;
        case EAGAIN: return lockViolation;
        case ENOSPC:
        case EDQUOT: return diskFull;
        case ESPIPE:
        case EINVAL: return badSeek;
        case EIO: return hardIO;
        default: return genericException;
    }
}

void AfxThrowMemoryException() {
    throw new CMemoryException;
}

void AfxThrowResourceException() {
    throw new CResourceException;
}

void AfxThrowNotSupportedException() {
    throw new CNotSupportedException;
}

void AfxThrowInvalidArgException() {
    throw new CInvalidArgException;
}

void AfxThrowFileException(int cause, long osError, const WCHAR* fileName) {
    throw new CFileException(cause, osError, fileName);
}

void AfxThrowArchiveException(int cause, const WCHAR* fileName) {
    throw new CArchiveException(cause, fileName);
}
