// RegisterWindowMessageW: the same name gives the same number (0xC000 to
// 0xFFFF) in every process of the user. The names live in one file of the
// per-user runtime folder, a line "number<TAB>name" each, read and appended
// under an exclusive lock; names compare without regard to case, as the
// platform's atoms do.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "win/runtime_dir.h"
#include "win/text.h"
#include "win/winuser.h"

namespace {

constexpr UINT kFirst = 0xC000;
constexpr UINT kLast = 0xFFFF;
constexpr size_t kMaxName = 255;

std::mutex g_lock;
std::map<std::wstring, UINT> g_known;  // this process's answers, by upper-case name

std::wstring Upper(std::wstring_view name) {
    std::wstring upper(name);
    for (WCHAR& ch : upper) {
        if (ch >= L'a' && ch <= L'z') ch = static_cast<WCHAR>(ch - L'a' + L'A');
    }
    return upper;
}

// Finds the name in the table file, or appends it with the next number.
UINT Lookup(const std::string& path, const std::string& key) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return 0;
    UINT number = 0;
    if (flock(fd, LOCK_EX) == 0) {
        std::string table;
        char chunk[4096];
        for (ssize_t got; (got = ::read(fd, chunk, sizeof(chunk))) > 0;) table.append(chunk, static_cast<size_t>(got));
        UINT next = kFirst;
        for (size_t at = 0; at < table.size();) {
            size_t end = table.find('\n', at);
            if (end == std::string::npos) end = table.size();
            const size_t tab = table.find('\t', at);
            if (tab != std::string::npos && tab < end) {
                const UINT value = static_cast<UINT>(std::strtoul(table.c_str() + at, nullptr, 10));
                if (table.compare(tab + 1, end - tab - 1, key) == 0) {
                    number = value;
                    break;
                }
                if (value >= next) next = value + 1;
            }
            at = end + 1;
        }
        if (number == 0 && next <= kLast) {
            const std::string line = std::to_string(next) + "\t" + key + "\n";
            if (::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size())) number = next;
        }
        flock(fd, LOCK_UN);
    }
    ::close(fd);
    return number;
}

}  // namespace

UINT RegisterWindowMessageW(LPCWSTR name) {
    if (name == nullptr || *name == 0) return 0;
    const std::wstring upper = Upper(name);
    if (upper.size() > kMaxName || upper.find_first_of(L"\t\n") != std::wstring::npos) return 0;
    std::lock_guard guard(g_lock);
    if (const auto known = g_known.find(upper); known != g_known.end()) return known->second;
    const std::string folder = movanta::win::RuntimeFolder("messages");
    if (folder.empty()) return 0;
    const UINT number = Lookup(folder + "/registered", movanta::WideToUtf8(upper));
    if (number != 0) g_known[upper] = number;
    return number;
}
