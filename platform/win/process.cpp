#include "win/process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

extern char** environ;

namespace {

std::string FirstWord(const std::string& commandLine) {
    std::string word;
    bool quoted = false;
    size_t i = commandLine.find_first_not_of(" \t");
    for (; i != std::string::npos && i < commandLine.size(); ++i) {
        const char c = commandLine[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            break;
        } else {
            word.push_back(c);
        }
    }
    return word;
}

bool IsExecutable(const std::string& program) {
    if (program.empty()) return false;
    if (program.find('/') != std::string::npos) return access(program.c_str(), X_OK) == 0;
    const char* path = std::getenv("PATH");
    std::string folders = path == nullptr ? "/usr/bin:/bin" : path;
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = end == start ? "." : folders.substr(start, end - start);
        if (access((folder + "/" + program).c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

UINT WinExec(LPCSTR commandLine, UINT) {
    if (commandLine == nullptr || !IsExecutable(FirstWord(commandLine))) return ERROR_FILE_NOT_FOUND;
    // The shell puts the command in the background and exits at once, so the
    // command is not our child and needs no reaping.
    char shell[] = "/bin/sh";
    char flag[] = "-c";
    char script[] = "eval \"$1\" </dev/null &";
    char name[] = "sh";
    std::string command(commandLine);
    char* argv[] = {shell, flag, script, name, command.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, shell, nullptr, nullptr, argv, environ) != 0) return 0;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return 33;
}
