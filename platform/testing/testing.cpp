#include "testing/testing.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

extern char** environ;

namespace movanta::testing {
namespace {

pid_t Spawn(const std::vector<std::string>& argv, int outputFd, bool mergeError) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
    if (mergeError) posix_spawn_file_actions_adddup2(&actions, outputFd, 2);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) throw std::runtime_error("cannot start " + argv[0]);
    return pid;
}

int WaitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TempDir::TempDir() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/movanta-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

ScopedRegistry::ScopedRegistry() {
    if (const char* previous = std::getenv("MOVANTA_REGISTRY_DIR")) {
        previous_ = previous;
        hadPrevious_ = true;
    }
    setenv("MOVANTA_REGISTRY_DIR", dir_.Path().c_str(), 1);
}

ScopedRegistry::~ScopedRegistry() {
    if (hadPrevious_) {
        setenv("MOVANTA_REGISTRY_DIR", previous_.c_str(), 1);
    } else {
        unsetenv("MOVANTA_REGISTRY_DIR");
    }
}

Child::Child(const std::vector<std::string>& argv) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("cannot create a pipe");
    try {
        pid_ = Spawn(argv, fds[1], false);
    } catch (...) {
        close(fds[0]);
        close(fds[1]);
        throw;
    }
    close(fds[1]);
    output_ = fds[0];
}

Child::~Child() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        WaitFor(pid_);
    }
    if (output_ >= 0) close(output_);
}

std::string Child::ReadLine() {
    std::string line;
    char c = 0;
    while (read(output_, &c, 1) == 1 && c != '\n') line.push_back(c);
    return line;
}

int Child::Wait() {
    const int code = WaitFor(pid_);
    pid_ = -1;
    return code;
}

void Child::Kill(int signal) {
    kill(pid_, signal);
}

int Run(const std::vector<std::string>& argv, std::string* output) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("cannot create a pipe");
    const pid_t pid = Spawn(argv, fds[1], true);
    close(fds[1]);
    std::string text;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    if (output != nullptr) *output = text;
    return WaitFor(pid);
}

}  // namespace movanta::testing
