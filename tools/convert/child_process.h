// A conversion run in a process of its own: the program started with its
// arguments, what it writes (standard output and error) read line by line
// without waiting, a signal sent to it, and its exit status.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace movanta::convert {

class ChildProcess {
public:
    // Starts `argv[0]` with the arguments; Running() tells whether it did.
    explicit ChildProcess(const std::vector<std::string>& argv);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Running() const { return pid_ > 0 && !ended_; }
    // The descriptor to wait on for output; -1 once the output ended.
    int Output() const { return output_; }
    // Reads what is there and answers the complete lines read.
    std::vector<std::string> ReadLines();
    void Signal(int signal) const;
    // After the output ended: waits for the process, answers its exit code
    // (128 + the signal when one ended it).
    int Wait();

private:
    pid_t pid_ = -1;
    int output_ = -1;
    bool ended_ = false;
    std::string pending_;
};

}  // namespace movanta::convert
