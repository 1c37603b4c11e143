// Events: manual- and auto-reset, optionally named. A name is announced to
// other processes by holding an exclusive flock on a file named after it in
// the runtime folder; the kernel drops the lock when the process dies.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <map>
#include <string>

#include "win/kernel_object.h"
#include "win/runtime_dir.h"
#include "win/sync.h"
#include "win/text.h"

namespace movanta::win {
namespace {

class Event : public KernelObject {
public:
    Event(bool manualReset, bool signaled) : manualReset_(manualReset), signaled_(signaled) {}
    ~Event() override {
        if (lockFd_ >= 0) close(lockFd_);
    }
    bool Signaled() const override { return signaled_; }
    void OnWaitSatisfied() override {
        if (!manualReset_) signaled_ = false;
    }
    void Set(bool signaled) {
        {
            std::lock_guard guard(SyncMutex());
            signaled_ = signaled;
        }
        if (signaled) SyncCondition().notify_all();
    }
    void HoldNameLock(int fd) { lockFd_ = fd; }

private:
    const bool manualReset_;
    bool signaled_;  // guarded by SyncMutex()
    int lockFd_ = -1;
};

// Names of events alive in this process.
struct NameTable {
    std::mutex lock;
    std::map<std::wstring, std::weak_ptr<Event>> events;
};

NameTable& Names() {
    static NameTable table;
    return table;
}

std::string LockFilePath(LPCWSTR name) {
    const std::string folder = RuntimeFolder("events");
    if (folder.empty()) return {};
    std::string escaped;
    static const char* kHex = "0123456789ABCDEF";
    for (unsigned char c : WideToUtf8(name)) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_') {
            escaped.push_back(static_cast<char>(c));
        } else {
            escaped.push_back('%');
            escaped.push_back(kHex[c >> 4]);
            escaped.push_back(kHex[c & 15]);
        }
    }
    return folder + "/" + escaped;
}

enum class NameState { Free, HeldElsewhere, Unavailable };

// Tries to take the name for this process. On success returns Free and the
// open, locked descriptor in fd.
NameState ClaimName(LPCWSTR name, bool create, int& fd) {
    fd = -1;
    const std::string path = LockFilePath(name);
    if (path.empty()) return NameState::Unavailable;
    const int flags = O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0);
    fd = open(path.c_str(), flags, 0600);
    if (fd < 0) return create ? NameState::Unavailable : NameState::Free;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return NameState::Free;
    close(fd);
    fd = -1;
    return NameState::HeldElsewhere;
}

}  // namespace
}  // namespace movanta::win

using namespace movanta::win;

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR name) {
    if (name == nullptr || *name == L'\0') {
        SetLastError(ERROR_SUCCESS);
        return InsertHandle(std::make_shared<Event>(manualReset != FALSE, initialState != FALSE));
    }
    NameTable& names = Names();
    std::lock_guard guard(names.lock);
    if (auto existing = names.events[name].lock()) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return InsertHandle(existing);
    }
    auto event = std::make_shared<Event>(manualReset != FALSE, initialState != FALSE);
    int fd = -1;
    const NameState state = ClaimName(name, true, fd);
    if (state == NameState::Unavailable) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    if (state == NameState::Free) {
        event->HoldNameLock(fd);
        SetLastError(ERROR_SUCCESS);
    } else {
        SetLastError(ERROR_ALREADY_EXISTS);
    }
    names.events[name] = event;
    return InsertHandle(event);
}

HANDLE OpenEventW(DWORD, BOOL, LPCWSTR name) {
    if (name == nullptr || *name == L'\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    NameTable& names = Names();
    std::lock_guard guard(names.lock);
    if (auto existing = names.events[name].lock()) return InsertHandle(existing);
    int fd = -1;
    if (ClaimName(name, false, fd) != NameState::HeldElsewhere) {
        if (fd >= 0) close(fd);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    auto event = std::make_shared<Event>(true, false);
    names.events[name] = event;
    return InsertHandle(event);
}

BOOL SetEvent(HANDLE handle) {
    auto event = LookupHandleAs<Event>(handle);
    if (!event) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    event->Set(true);
    return TRUE;
}

BOOL ResetEvent(HANDLE handle) {
    auto event = LookupHandleAs<Event>(handle);
    if (!event) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    event->Set(false);
    return TRUE;
}
