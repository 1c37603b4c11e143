// A hive kept in one file, shared by every process that opens it.
//
// Readers see the file as last replaced: the tree is reloaded whenever the
// file changed since it was read. Writers take an exclusive lock on a
// companion ".lock" file, reload, apply their change and replace the file
// atomically (temporary file, fsync, rename, fsync of the folder), so a writer
// killed at any moment leaves either the old or the new hive. A file that
// cannot be parsed is reported once on standard error, renamed aside with a
// timestamp, and the hive starts empty.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "registry/hive.h"

namespace movanta::registry {

class HiveStore {
public:
    explicit HiveStore(std::string path);
    ~HiveStore();
    HiveStore(const HiveStore&) = delete;
    HiveStore& operator=(const HiveStore&) = delete;

    // Runs `read` on the current tree; the tree must not escape the call.
    void Read(const std::function<void(const Key&)>& read);
    // Runs `change` on the current tree under the lock; when it returns true
    // the hive is saved. Returns ERROR_SUCCESS, or the error that prevented
    // locking or saving (the change is then dropped).
    LONG Write(const std::function<bool(Key&)>& change);

    const std::string& Path() const { return path_; }

private:
    struct Stamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified {};
        bool operator==(const Stamp& other) const;
    };
    static Stamp StampOf(const std::string& path);
    // Reloads the tree when the file changed; moves a damaged file aside.
    void RefreshLocked(bool haveFileLock);
    bool LockFile();
    void UnlockFile();
    LONG SaveLocked();

    const std::string path_;
    std::mutex mutex_;
    std::unique_ptr<Key> root_;  // guarded by mutex_
    Stamp stamp_;                // guarded by mutex_
    bool loaded_ = false;        // guarded by mutex_
    int lockFd_ = -1;            // guarded by mutex_
};

}  // namespace movanta::registry
