#include "ui/cursors.h"

#include <algorithm>
#include <array>

namespace {

// Standard cursor handles are their identifiers, which no object address
// can be.
constexpr std::array<WORD, 12> kStandard {32512, 32513, 32514, 32515, 32642, 32643,
                                          32644, 32645, 32646, 32648, 32649, 32650};

}  // namespace

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
    const auto id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    if (instance != nullptr || reinterpret_cast<ULONG_PTR>(name) > 0xFFFF ||
        std::find(kStandard.begin(), kStandard.end(), id) == kStandard.end()) {
        return nullptr;
    }
    return reinterpret_cast<HCURSOR>(static_cast<ULONG_PTR>(id));
}

namespace movanta::ui {

WORD StandardCursorId(HCURSOR cursor) {
    const auto value = reinterpret_cast<ULONG_PTR>(cursor);
    if (value > 0xFFFF) return 0;
    const auto id = static_cast<WORD>(value);
    return std::find(kStandard.begin(), kStandard.end(), id) != kStandard.end() ? id : 0;
}

}  // namespace movanta::ui
