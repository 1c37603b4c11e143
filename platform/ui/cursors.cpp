#include "ui/cursors.h"

#include <algorithm>
#include <array>
#include <map>
#include <mutex>
#include <utility>

namespace {

// Standard cursor handles are their identifiers, which no object address
// can be.
constexpr std::array<WORD, 12> kStandard {32512, 32513, 32514, 32515, 32642, 32643,
                                          32644, 32645, 32646, 32648, 32649, 32650};

struct ModuleCursors {
    std::mutex lock;
    std::map<std::pair<HINSTANCE, WORD>, HCURSOR> cursors;
};

ModuleCursors& TheModuleCursors() {
    static ModuleCursors cursors;
    return cursors;
}

}  // namespace

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
    const auto id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    if (instance != nullptr && reinterpret_cast<ULONG_PTR>(name) <= 0xFFFF) {
        ModuleCursors& modules = TheModuleCursors();
        std::lock_guard guard(modules.lock);
        const auto found = modules.cursors.find({instance, id});
        return found != modules.cursors.end() ? found->second : nullptr;
    }
    if (instance != nullptr || reinterpret_cast<ULONG_PTR>(name) > 0xFFFF ||
        std::find(kStandard.begin(), kStandard.end(), id) == kStandard.end()) {
        return nullptr;
    }
    return reinterpret_cast<HCURSOR>(static_cast<ULONG_PTR>(id));
}

namespace movanta::ui {

void RegisterCursorResource(HINSTANCE module, WORD id, HCURSOR cursor) {
    ModuleCursors& modules = TheModuleCursors();
    std::lock_guard guard(modules.lock);
    modules.cursors[{module, id}] = cursor;
}

WORD StandardCursorId(HCURSOR cursor) {
    const auto value = reinterpret_cast<ULONG_PTR>(cursor);
    if (value > 0xFFFF) return 0;
    const auto id = static_cast<WORD>(value);
    return std::find(kStandard.begin(), kStandard.end(), id) != kStandard.end() ? id : 0;
}

}  // namespace movanta::ui
