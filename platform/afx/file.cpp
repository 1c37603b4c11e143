#include "afx/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include "win/text.h"

IMPLEMENT_DYNAMIC(CFile, CObject)

namespace {

// Share modes are kept as shared locks on bytes far beyond any real data:
// one byte for each access (read, write) an opener has, one for each it
// denies to others. An opener conflicts with any lock on the byte of an
// access it asks for's denial, or of an access it denies.
constexpr off_t kShareBytes = 0x7FFFFFFFFFFF0000;
enum ShareByte { kHasRead, kHasWrite, kDeniesRead, kDeniesWrite };

struct flock ShareLock(ShareByte byte, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = kShareBytes + byte;
    lock.l_len = 1;
    return lock;
}

bool Locked(int fd, ShareByte byte) {
    struct flock probe = ShareLock(byte, F_WRLCK);
    return fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

bool Lock(int fd, ShareByte byte) {
    struct flock hold = ShareLock(byte, F_RDLCK);
    return fcntl(fd, F_OFD_SETLK, &hold) == 0;
}

// Checks the open against the others and takes its locks; false on a
// sharing violation. A file system without locks shares freely.
bool Share(int fd, UINT flags) {
    const UINT access = flags & 3;
    const bool reads = access == CFile::modeRead || access == CFile::modeReadWrite;
    const bool writes = access == CFile::modeWrite || access == CFile::modeReadWrite;
    const UINT share = flags & 0x70;
    const bool deniesRead =
        share == CFile::shareCompat || share == CFile::shareExclusive || share == CFile::shareDenyRead;
    const bool deniesWrite =
        share == CFile::shareCompat || share == CFile::shareExclusive || share == CFile::shareDenyWrite;
    if ((reads && Locked(fd, kDeniesRead)) || (writes && Locked(fd, kDeniesWrite)) ||
        (deniesRead && Locked(fd, kHasRead)) || (deniesWrite && Locked(fd, kHasWrite))) {
        return false;
    }
    if (reads) Lock(fd, kHasRead);
    if (writes) Lock(fd, kHasWrite);
    if (deniesRead) Lock(fd, kDeniesRead);
    if (deniesWrite) Lock(fd, kDeniesWrite);
    return true;
}

}  // namespace

CFile::CFile(const WCHAR* path, UINT flags) {
    CFileException error;
    if (!Open(path, flags, &error)) AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
}

CFile::~CFile() {
    Abort();
}

bool CFile::Open(const WCHAR* path, UINT flags, CFileException* error) {
    Abort();
    auto fail = [&](int cause, long osError) {
        if (error != nullptr) {
            error->m_cause = cause;
            error->m_lOsError = osError;
            error->m_strFileName = path;
        }
        return false;
    };
    if (path == nullptr || *path == 0) return fail(CFileException::badPath, EINVAL);
    const UINT access = flags & 3;
    if (access > modeReadWrite) return fail(CFileException::genericException, EINVAL);
    int mode = access == modeRead ? O_RDONLY : access == modeWrite ? O_WRONLY : O_RDWR;
    mode |= O_CLOEXEC;
    if (flags & modeCreate) mode |= O_CREAT | ((flags & modeNoTruncate) ? 0 : O_TRUNC);
    const std::string native = movanta::NativePath(path);
    // Truncation waits until sharing allows this open.
    const int fd = ::open(native.c_str(), mode & ~O_TRUNC, 0666);
    if (fd < 0) return fail(CFileException::OsErrorToException(errno), errno);
    int lockFd = access == modeWrite ? ::open(native.c_str(), O_RDONLY | O_CLOEXEC) : fd;
    if (lockFd >= 0 && !Share(lockFd, flags)) {
        if (lockFd != fd) ::close(lockFd);
        ::close(fd);
        return fail(CFileException::sharingViolation, EBUSY);
    }
    if ((mode & O_TRUNC) && ftruncate(fd, 0) != 0) {
        const int truncateError = errno;
        if (lockFd >= 0 && lockFd != fd) ::close(lockFd);
        ::close(fd);
        return fail(CFileException::OsErrorToException(truncateError), truncateError);
    }
    fd_ = fd;
    lockFd_ = lockFd;
    path_ = path;
    return true;
}

void CFile::Throw(int osError) const {
    AfxThrowFileException(CFileException::OsErrorToException(osError), osError, path_);
}

UINT CFile::Read(void* buffer, UINT count) {
    if (fd_ < 0) Throw(EBADF);
    auto* at = static_cast<char*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t got = ::read(fd_, at + done, count - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Throw(errno);
        if (got == 0) break;
        done += static_cast<UINT>(got);
    }
    return done;
}

void CFile::Write(const void* buffer, UINT count) {
    if (fd_ < 0) Throw(EBADF);
    const auto* at = static_cast<const char*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t put = ::write(fd_, at + done, count - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) Throw(put < 0 ? errno : ENOSPC);
        done += static_cast<UINT>(put);
    }
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
    if (fd_ < 0) Throw(EBADF);
    const int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : SEEK_END;
    const off_t at = ::lseek(fd_, offset, whence);
    if (at < 0) AfxThrowFileException(CFileException::badSeek, errno, path_);
    return static_cast<ULONGLONG>(at);
}

ULONGLONG CFile::GetPosition() const {
    if (fd_ < 0) Throw(EBADF);
    const off_t at = ::lseek(fd_, 0, SEEK_CUR);
    if (at < 0) Throw(errno);
    return static_cast<ULONGLONG>(at);
}

ULONGLONG CFile::GetLength() const {
    if (fd_ < 0) Throw(EBADF);
    struct stat status {};
    if (fstat(fd_, &status) != 0) Throw(errno);
    return static_cast<ULONGLONG>(status.st_size);
}

void CFile::SetLength(ULONGLONG length) {
    if (fd_ < 0) Throw(EBADF);
    if (ftruncate(fd_, static_cast<off_t>(length)) != 0) Throw(errno);
}

void CFile::Flush() {
    if (fd_ >= 0 && fsync(fd_) != 0 && errno != EINVAL) Throw(errno);
}

void CFile::Close() {
    if (fd_ < 0) return;
    if (lockFd_ >= 0 && lockFd_ != fd_) ::close(lockFd_);
    const int result = ::close(fd_);
    fd_ = -1;
    lockFd_ = -1;
    if (result != 0 && errno != EINTR) Throw(errno);
}

void CFile::Abort() {
    if (fd_ < 0) return;
    if (lockFd_ >= 0 && lockFd_ != fd_) ::close(lockFd_);
    ::close(fd_);
    fd_ = -1;
    lockFd_ = -1;
}
