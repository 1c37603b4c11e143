#include "win/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "win/kernel_object.h"
#include "win/text.h"

namespace movanta::win {
namespace {

class File : public KernelObject {
public:
    explicit File(int fd) : fd_(fd) {}
    ~File() override { close(fd_); }
    int Descriptor() const { return fd_; }

private:
    const int fd_;
};

DWORD ErrorFromErrno(int error) {
    switch (error) {
        case ENOENT: return ERROR_FILE_NOT_FOUND;
        case ENOTDIR: return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EROFS: return ERROR_ACCESS_DENIED;
        case EEXIST: return ERROR_FILE_EXISTS;
        case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
        default: return ERROR_INVALID_FUNCTION;
    }
}

}  // namespace
}  // namespace movanta::win

using namespace movanta::win;

DWORD GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD capacity) {
    if (longPath == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    char resolved[PATH_MAX];
    if (realpath(movanta::NativePath(longPath).c_str(), resolved) == nullptr) {
        SetLastError(ErrorFromErrno(errno));
        return 0;
    }
    const std::wstring wide = movanta::Utf8ToWide(resolved);
    if (shortPath == nullptr || capacity <= wide.size()) return static_cast<DWORD>(wide.size() + 1);
    return static_cast<DWORD>(movanta::CopyToBuffer(wide, shortPath, capacity));
}

BOOL GetDiskFreeSpaceExW(LPCWSTR directory, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* total,
                         ULARGE_INTEGER* totalFree) {
    const std::string path = directory == nullptr ? std::string(".") : movanta::NativePath(directory);
    struct statvfs info {};
    if (statvfs(path.c_str(), &info) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    if (freeToCaller != nullptr) freeToCaller->QuadPart = ULONGLONG(info.f_bavail) * info.f_frsize;
    if (total != nullptr) total->QuadPart = ULONGLONG(info.f_blocks) * info.f_frsize;
    if (totalFree != nullptr) totalFree->QuadPart = ULONGLONG(info.f_bfree) * info.f_frsize;
    return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR path) {
    struct stat info {};
    const std::string native = movanta::NativePath(path);
    if (path == nullptr || stat(native.c_str(), &info) != 0) {
        SetLastError(path == nullptr ? ERROR_INVALID_PARAMETER : ErrorFromErrno(errno));
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : 0;
    if (access(native.c_str(), W_OK) != 0) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

HANDLE CreateFileW(LPCWSTR path, DWORD desiredAccess, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD, HANDLE) {
    if (path == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const bool read = (desiredAccess & GENERIC_READ) != 0;
    const bool write = (desiredAccess & GENERIC_WRITE) != 0;
    int flags = O_CLOEXEC | (read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY);
    switch (disposition) {
        case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
        case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
        case OPEN_EXISTING: break;
        case OPEN_ALWAYS: flags |= O_CREAT; break;
        case TRUNCATE_EXISTING: flags |= O_TRUNC; break;
        default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_HANDLE_VALUE;
    }
    const int fd = open(movanta::NativePath(path).c_str(), flags, 0666);
    if (fd < 0) {
        SetLastError(ErrorFromErrno(errno));
        return INVALID_HANDLE_VALUE;
    }
    return InsertHandle(std::make_shared<File>(fd));
}

BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPVOID) {
    auto file = LookupHandleAs<File>(handle);
    if (!file || (buffer == nullptr && bytesToRead > 0)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ssize_t n;
    do {
        n = read(file->Descriptor(), buffer, bytesToRead);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        SetLastError(ERROR_READ_FAULT);
        return FALSE;
    }
    if (bytesRead != nullptr) *bytesRead = static_cast<DWORD>(n);
    return TRUE;
}

BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPVOID) {
    auto file = LookupHandleAs<File>(handle);
    if (!file || (buffer == nullptr && bytesToWrite > 0)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    DWORD done = 0;
    while (done < bytesToWrite) {
        const ssize_t n = write(file->Descriptor(), static_cast<const BYTE*>(buffer) + done, bytesToWrite - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            SetLastError(ERROR_WRITE_FAULT);
            if (bytesWritten != nullptr) *bytesWritten = done;
            return FALSE;
        }
        done += static_cast<DWORD>(n);
    }
    if (bytesWritten != nullptr) *bytesWritten = done;
    return TRUE;
}

BOOL GetFileSizeEx(HANDLE handle, LARGE_INTEGER* size) {
    auto file = LookupHandleAs<File>(handle);
    struct stat info {};
    if (!file || size == nullptr || fstat(file->Descriptor(), &info) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    size->QuadPart = info.st_size;
    return TRUE;
}

BOOL DeleteFileW(LPCWSTR path) {
    if (path == nullptr || unlink(movanta::NativePath(path).c_str()) != 0) {
        SetLastError(path == nullptr ? ERROR_INVALID_PARAMETER : ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}
