// Support for the platform's tests: temporary folders, files' bytes and
// child processes.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace movanta::testing {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// The whole content of a file; empty when it cannot be read.
std::string FileBytes(const std::string& path);

// Points every registry hive at a fresh temporary folder for the object's
// lifetime (and restores the previous setting after).
class ScopedRegistry {
public:
    ScopedRegistry();
    ~ScopedRegistry();
    ScopedRegistry(const ScopedRegistry&) = delete;
    ScopedRegistry& operator=(const ScopedRegistry&) = delete;
    const std::string& Folder() const { return dir_.Path(); }

private:
    TempDir dir_;
    std::string previous_;
    bool hadPrevious_ = false;
};

// A child process with its standard output on a pipe.
class Child {
public:
    explicit Child(const std::vector<std::string>& argv);
    ~Child();  // kills the child if it still runs
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    pid_t Pid() const { return pid_; }
    // Reads one line of the child's output (without the newline); empty at end.
    std::string ReadLine();
    // Waits for the child; returns its exit code, or 128 + signal.
    int Wait();
    void Kill(int signal);

private:
    pid_t pid_ = -1;
    int output_ = -1;
};

// Runs a program to its end; returns its exit code and fills `output` with
// its standard output and error.
int Run(const std::vector<std::string>& argv, std::string* output = nullptr);

}  // namespace movanta::testing
