#include "win/window_rendezvous.h"

#include <dirent.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "win/runtime_dir.h"
#include "win/text.h"
#include "win/thread.h"
#include "win/window_table.h"

namespace movanta::win {
namespace {

enum class Kind : std::uint32_t { Find = 1, Post = 2, Foreground = 3, Alive = 4 };

constexpr size_t kTextBytes = 1024;  // UTF-8, zero-terminated
constexpr int kTimeoutMs = 1000;

struct Request {
    Kind kind;
    std::uint32_t message;
    std::uint64_t window;
    std::uint64_t wParam;
    std::int64_t lParam;
    std::uint8_t hasClass;
    std::uint8_t hasTitle;
    char className[kTextBytes];
    char title[kTextBytes];
};

struct Reply {
    std::uint64_t value;
};

std::string SocketPath(const std::string& folder, DWORD pid) {
    return folder + "/" + std::to_string(pid) + ".sock";
}

bool FillAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool SendAll(int fd, const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t sent = send(fd, bytes, size, MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

bool ReceiveAll(int fd, void* data, size_t size) {
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t got = recv(fd, bytes, size, 0);
        if (got <= 0) return false;
        bytes += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

void SetTimeouts(int fd) {
    const timeval limit {kTimeoutMs / 1000, (kTimeoutMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit));
}

bool Postable(UINT message) {
    return message == WM_NULL || message == WM_CLOSE || message == WM_COMMAND || message >= WM_USER;
}

HWND LocalHandle(std::uint64_t value) {
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value & 0xFFFFFFFFu));
}

std::uint64_t Answer(const Request& request) {
    const HWND window = LocalHandle(request.window);
    switch (request.kind) {
        case Kind::Find: {
            if (request.className[kTextBytes - 1] != 0 || request.title[kTextBytes - 1] != 0) return 0;
            const std::wstring className = Utf8ToWide(request.className);
            const std::wstring title = Utf8ToWide(request.title);
            return reinterpret_cast<ULONG_PTR>(FindLocalWindow(request.hasClass ? className.c_str() : nullptr,
                                                               request.hasTitle ? title.c_str() : nullptr));
        }
        case Kind::Post:
            return Postable(request.message) && GetAncestor(window, GA_PARENT) == nullptr &&
                   PostMessageW(window, request.message, static_cast<WPARAM>(request.wParam),
                                static_cast<LPARAM>(request.lParam));
        case Kind::Foreground: return PostMessageW(window, kForegroundRequest, 0, 0);
        case Kind::Alive: return IsWindow(window);
        default: return 0;
    }
}

void Serve(int listener) {
    for (;;) {
        const int connection = accept(listener, nullptr, nullptr);
        if (connection < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            return;
        }
        SetTimeouts(connection);
        Request request {};
        if (ReceiveAll(connection, &request, sizeof(request))) {
            const Reply reply {Answer(request)};
            SendAll(connection, &reply, sizeof(reply));
        }
        close(connection);
    }
}

std::string& OwnSocket() {
    static std::string path;
    return path;
}

void RemoveOwnSocket() {
    if (!OwnSocket().empty()) unlink(OwnSocket().c_str());
}

// Asks process `pid`; false when it could not be asked. A socket nobody
// listens on, of a process that is gone, is removed.
bool Ask(const std::string& folder, DWORD pid, const Request& request, Reply& reply) {
    const std::string path = SocketPath(folder, pid);
    sockaddr_un address {};
    if (!FillAddress(path, address)) return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    SetTimeouts(fd);
    bool asked = false;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) {
        asked = SendAll(fd, &request, sizeof(request)) && ReceiveAll(fd, &reply, sizeof(reply));
    } else if ((errno == ECONNREFUSED || errno == ENOENT) && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
        unlink(path.c_str());
    }
    close(fd);
    return asked;
}

std::uint64_t AskOwner(HWND window, Kind kind, UINT message = 0, WPARAM wParam = 0, LPARAM lParam = 0) {
    const std::string folder = RuntimeFolder("windows");
    if (folder.empty()) return 0;
    Request request {};
    request.kind = kind;
    request.message = message;
    request.window = reinterpret_cast<ULONG_PTR>(window) & 0xFFFFFFFFu;
    request.wParam = wParam;
    request.lParam = lParam;
    Reply reply {};
    return Ask(folder, RemoteProcessOf(window), request, reply) ? reply.value : 0;
}

bool CopyText(LPCWSTR text, char (&out)[kTextBytes]) {
    if (text == nullptr) return true;
    const std::string utf8 = WideToUtf8(text);
    if (utf8.size() >= kTextBytes) return false;
    std::memcpy(out, utf8.c_str(), utf8.size() + 1);
    return true;
}

}  // namespace

bool IsRemoteWindow(HWND window) {
    const auto pid = RemoteProcessOf(window);
    return pid != 0 && pid != GetCurrentProcessId();
}

DWORD RemoteProcessOf(HWND window) {
    return static_cast<DWORD>(static_cast<std::uint64_t>(reinterpret_cast<ULONG_PTR>(window)) >> 32);
}

void AnnounceWindows() {
    static std::once_flag once;
    std::call_once(once, [] {
        const std::string folder = RuntimeFolder("windows");
        if (folder.empty()) return;
        const std::string path = SocketPath(folder, GetCurrentProcessId());
        sockaddr_un address {};
        if (!FillAddress(path, address)) return;
        const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (listener < 0) return;
        unlink(path.c_str());  // a process that had this id before us
        if (bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
            listen(listener, 8) != 0) {
            close(listener);
            return;
        }
        OwnSocket() = path;
        std::atexit(RemoveOwnSocket);
        std::thread(Serve, listener).detach();
    });
}

HWND FindRemoteWindow(LPCWSTR className, LPCWSTR windowName) {
    const std::string folder = RuntimeFolder("windows");
    if (folder.empty()) return nullptr;
    Request request {};
    request.kind = Kind::Find;
    request.hasClass = className != nullptr;
    request.hasTitle = windowName != nullptr;
    if (!CopyText(className, request.className) || !CopyText(windowName, request.title)) return nullptr;
    DIR* directory = opendir(folder.c_str());
    if (directory == nullptr) return nullptr;
    HWND found = nullptr;
    while (found == nullptr) {
        const dirent* entry = readdir(directory);
        if (entry == nullptr) break;
        char* end = nullptr;
        const unsigned long pid = std::strtoul(entry->d_name, &end, 10);
        if (pid == 0 || pid > 0xFFFFFFFFul || end == nullptr || std::strcmp(end, ".sock") != 0 ||
            pid == GetCurrentProcessId()) {
            continue;
        }
        Reply reply {};
        if (Ask(folder, static_cast<DWORD>(pid), request, reply) && reply.value != 0 && reply.value <= 0xFFFFFFFFu) {
            found =
                reinterpret_cast<HWND>(static_cast<ULONG_PTR>((static_cast<std::uint64_t>(pid) << 32) | reply.value));
        }
    }
    closedir(directory);
    return found;
}

bool PostRemote(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return Postable(message) && AskOwner(window, Kind::Post, message, wParam, lParam) != 0;
}

bool ForegroundRemote(HWND window) {
    return AskOwner(window, Kind::Foreground) != 0;
}

bool IsRemoteWindowAlive(HWND window) {
    return AskOwner(window, Kind::Alive) != 0;
}

}  // namespace movanta::win
