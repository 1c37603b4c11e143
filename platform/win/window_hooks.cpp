// The calling thread's computer-based-training hooks, newest first.
#include <algorithm>
#include <memory>
#include <vector>

#include "win/thread.h"
#include "win/window_table.h"

namespace movanta::win {
namespace {

struct Hook {
    HOOKPROC procedure;
};

std::vector<std::unique_ptr<Hook>>& ThreadHooks() {
    static thread_local std::vector<std::unique_ptr<Hook>> hooks;
    return hooks;
}

LRESULT CallFrom(size_t first, int code, WPARAM wParam, LPARAM lParam) {
    const auto& hooks = ThreadHooks();
    return first < hooks.size() ? hooks[first]->procedure(code, wParam, lParam) : 0;
}

}  // namespace

void CallCreationHooks(HWND window, CREATESTRUCTW* create) {
    CBT_CREATEWNDW record {create, nullptr};
    CallFrom(0, HCBT_CREATEWND, reinterpret_cast<WPARAM>(window), reinterpret_cast<LPARAM>(&record));
}

void CallDestructionHooks(HWND window) {
    CallFrom(0, HCBT_DESTROYWND, reinterpret_cast<WPARAM>(window), 0);
}

}  // namespace movanta::win

using namespace movanta::win;

HHOOK SetWindowsHookExW(int kind, HOOKPROC procedure, HINSTANCE, DWORD threadId) {
    if (kind != WH_CBT || procedure == nullptr || (threadId != 0 && threadId != GetCurrentThreadId())) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto& hooks = ThreadHooks();
    hooks.insert(hooks.begin(), std::make_unique<Hook>(Hook {procedure}));
    return reinterpret_cast<HHOOK>(hooks.front().get());
}

BOOL UnhookWindowsHookEx(HHOOK hook) {
    auto& hooks = ThreadHooks();
    const auto removed =
        std::erase_if(hooks, [&](const auto& entry) { return reinterpret_cast<HHOOK>(entry.get()) == hook; });
    return removed > 0 ? TRUE : FALSE;
}

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
    const auto& hooks = ThreadHooks();
    const auto it = std::find_if(hooks.begin(), hooks.end(),
                                 [&](const auto& entry) { return reinterpret_cast<HHOOK>(entry.get()) == hook; });
    if (it == hooks.end()) return 0;
    return CallFrom(static_cast<size_t>(it - hooks.begin()) + 1, code, wParam, lParam);
}
