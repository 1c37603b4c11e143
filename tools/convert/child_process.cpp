#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace movanta::convert {

ChildProcess::ChildProcess(const std::vector<std::string>& argv) {
    int pipe[2];
    if (argv.empty() || ::pipe2(pipe, O_CLOEXEC) != 0) return;
    std::vector<char*> arguments;
    for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(pipe[1], STDOUT_FILENO);
        dup2(pipe[1], STDERR_FILENO);
        execv(arguments[0], arguments.data());
        _exit(127);
    }
    close(pipe[1]);
    if (pid_ < 0) {
        close(pipe[0]);
        return;
    }
    output_ = pipe[0];
    fcntl(output_, F_SETFL, O_NONBLOCK);
}

ChildProcess::~ChildProcess() {
    if (output_ >= 0) close(output_);
    if (pid_ > 0 && !ended_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

std::vector<std::string> ChildProcess::ReadLines() {
    std::vector<std::string> lines;
    char buffer[4096];
    for (;;) {
        const ssize_t got = output_ >= 0 ? read(output_, buffer, sizeof buffer) : 0;
        if (got > 0) {
            pending_.append(buffer, static_cast<size_t>(got));
            continue;
        }
        if (got == 0 && output_ >= 0) {  // the end of its output
            close(output_);
            output_ = -1;
            if (!pending_.empty()) pending_ += '\n';
        }
        break;
    }
    for (size_t end = pending_.find('\n'); end != std::string::npos; end = pending_.find('\n')) {
        lines.push_back(pending_.substr(0, end));
        pending_.erase(0, end + 1);
    }
    // A progress line rewritten in place never ends; a bounded remainder.
    if (pending_.size() > 65536) pending_.erase(0, pending_.size() - 4096);
    return lines;
}

void ChildProcess::Signal(int signal) const {
    if (pid_ > 0 && !ended_) kill(pid_, signal);
}

int ChildProcess::Wait() {
    if (pid_ <= 0) return 127;
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    ended_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace movanta::convert
