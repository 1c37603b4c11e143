#include "registry/hive_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace movanta::registry {
namespace {

constexpr off_t kMaxHiveSize = 64 * 1024 * 1024;

std::string Folder(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

bool MakeFolders(const std::string& folder) {
    if (folder.empty() || folder == "/" || folder == ".") return true;
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
    if (!MakeFolders(Folder(folder))) return false;
    return mkdir(folder.c_str(), 0755) == 0 || errno == EEXIST;
}

bool ReadWhole(const std::string& path, std::string& out, bool& tooLarge) {
    tooLarge = false;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    out.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            close(fd);
            return n == 0;
        }
        out.append(buffer, static_cast<size_t>(n));
        if (out.size() > static_cast<size_t>(kMaxHiveSize)) {
            tooLarge = true;
            close(fd);
            return true;
        }
    }
}

bool WriteWhole(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string AsideName(const std::string& path) {
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string aside = path + ".damaged-" + stamp;
    for (int n = 2; access(aside.c_str(), F_OK) == 0; ++n) aside = path + ".damaged-" + stamp + "-" + std::to_string(n);
    return aside;
}

}  // namespace

bool HiveStore::Stamp::operator==(const Stamp& other) const {
    return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
}

HiveStore::Stamp HiveStore::StampOf(const std::string& path) {
    Stamp stamp;
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) {
        stamp.exists = true;
        stamp.device = info.st_dev;
        stamp.inode = info.st_ino;
        stamp.size = info.st_size;
        stamp.modified = info.st_mtim;
    }
    return stamp;
}

HiveStore::HiveStore(std::string path) : path_(std::move(path)), root_(std::make_unique<Key>()) {}

HiveStore::~HiveStore() {
    if (lockFd_ >= 0) close(lockFd_);
}

bool HiveStore::LockFile() {
    if (lockFd_ < 0) {
        if (!MakeFolders(Folder(path_))) return false;
        lockFd_ = open((path_ + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (lockFd_ < 0) return false;
    }
    while (flock(lockFd_, LOCK_EX) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

void HiveStore::UnlockFile() {
    flock(lockFd_, LOCK_UN);
}

void HiveStore::RefreshLocked(bool haveFileLock) {
    Stamp now = StampOf(path_);
    if (loaded_ && now == stamp_) return;
    loaded_ = true;
    stamp_ = now;
    if (!now.exists) {
        root_ = std::make_unique<Key>();
        return;
    }
    std::string text;
    bool tooLarge = false;
    ParseError error {0, {}};
    std::unique_ptr<Key> parsed;
    if (!ReadWhole(path_, text, tooLarge)) {
        // Unreadable (permissions): behave as an empty hive without moving it.
        root_ = std::make_unique<Key>();
        return;
    }
    if (tooLarge) {
        error = {0, "file larger than 64 MiB"};
    } else {
        parsed = Parse(text, error);
    }
    if (parsed) {
        root_ = std::move(parsed);
        return;
    }
    // Damaged: move it aside under the lock unless another process already
    // replaced or moved it meanwhile.
    root_ = std::make_unique<Key>();
    const bool locked = haveFileLock || LockFile();
    if (StampOf(path_) == now) {
        const std::string aside = AsideName(path_);
        const bool moved = rename(path_.c_str(), aside.c_str()) == 0;
        std::fprintf(stderr, "movanta: the registry hive %s is damaged (line %d: %s); %s%s; it starts empty\n",
                     path_.c_str(), error.line, error.reason.c_str(),
                     moved ? "it was moved aside to " : "it could not be moved aside", moved ? aside.c_str() : "");
        stamp_ = StampOf(path_);
    } else {
        loaded_ = false;
    }
    if (locked && !haveFileLock) UnlockFile();
    if (!loaded_) RefreshLocked(haveFileLock);
}

void HiveStore::Read(const std::function<void(const Key&)>& read) {
    std::lock_guard guard(mutex_);
    RefreshLocked(false);
    read(*root_);
}

LONG HiveStore::SaveLocked() {
    const std::string temporary = path_ + ".tmp";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return ERROR_ACCESS_DENIED;
    const bool written = WriteWhole(fd, Serialize(*root_)) && fsync(fd) == 0;
    close(fd);
    if (!written || rename(temporary.c_str(), path_.c_str()) != 0) {
        unlink(temporary.c_str());
        return ERROR_REGISTRY_IO_FAILED;
    }
    const int folder = open(Folder(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    stamp_ = StampOf(path_);
    return ERROR_SUCCESS;
}

LONG HiveStore::Write(const std::function<bool(Key&)>& change) {
    std::lock_guard guard(mutex_);
    if (!LockFile()) return ERROR_ACCESS_DENIED;
    RefreshLocked(true);
    LONG result = ERROR_SUCCESS;
    if (change(*root_)) {
        result = SaveLocked();
        if (result != ERROR_SUCCESS) loaded_ = false;  // drop the unsaved change at the next read
    }
    UnlockFile();
    return result;
}

}  // namespace movanta::registry
