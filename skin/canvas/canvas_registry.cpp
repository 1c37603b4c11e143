#include "skin/canvas/canvas_registry.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "afxwin/wnd.h"

namespace {

constexpr LPCWSTR kRegistryClass = L"CzCanvasRegistry";

struct Registry {
    CWnd window;
    std::vector<std::unique_ptr<CzCanvasRecord>> records;  // front-most last
};

std::unique_ptr<Registry>& TheRegistry() {
    static std::unique_ptr<Registry> registry;
    return registry;
}

bool MakeRegistryWindow(Registry& registry) {
    WNDCLASSW windowClass {};
    if (!GetClassInfoW(nullptr, kRegistryClass, &windowClass)) {
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.lpszClassName = kRegistryClass;
        if (RegisterClassW(&windowClass) == 0) return false;
    }
    return registry.window.CreateEx(0, kRegistryClass, L"", WS_POPUP, 0, 0, 0, 0, HWND_MESSAGE, nullptr) != FALSE;
}

}  // namespace

namespace CzCanvasRegistry {

CzCanvasRecord* Register(CWnd* window) {
    if (window == nullptr || window->GetSafeHwnd() == nullptr) return nullptr;
    std::unique_ptr<Registry>& registry = TheRegistry();
    if (!registry) {
        auto made = std::make_unique<Registry>();
        if (!MakeRegistryWindow(*made)) return nullptr;
        registry = std::move(made);
    }
    auto record = std::make_unique<CzCanvasRecord>();
    record->m_window = window;
    window->ModifyStyleEx(0, WS_EX_LAYERED);
    registry->records.push_back(std::move(record));
    return registry->records.back().get();
}

void Unregister(HWND window) {
    std::unique_ptr<Registry>& registry = TheRegistry();
    if (!registry) return;
    std::erase_if(registry->records, [&](const auto& record) { return record->m_window->GetSafeHwnd() == window; });
    if (registry->records.empty()) {
        registry->window.DestroyWindow();
        registry.reset();
    }
}

CzCanvasRecord* Find(HWND window) {
    const std::unique_ptr<Registry>& registry = TheRegistry();
    if (!registry || window == nullptr) return nullptr;
    for (const auto& record : registry->records) {
        if (record->m_window->GetSafeHwnd() == window) return record.get();
    }
    return nullptr;
}

void BringToFront(HWND window) {
    for (HWND other : Following(window)) {
        if (GetWindow(other, GW_OWNER) == window || IsChild(window, other)) return;
    }
    MoveToFront(window);
}

void MoveToFront(HWND window) {
    std::unique_ptr<Registry>& registry = TheRegistry();
    if (!registry) return;
    auto& records = registry->records;
    auto it = std::find_if(records.begin(), records.end(),
                           [&](const auto& record) { return record->m_window->GetSafeHwnd() == window; });
    if (it != records.end()) std::rotate(it, it + 1, records.end());
}

std::vector<HWND> Following(HWND window) {
    std::vector<HWND> later;
    const std::unique_ptr<Registry>& registry = TheRegistry();
    if (!registry) return later;
    bool found = false;
    for (const auto& record : registry->records) {
        if (found) later.push_back(record->m_window->GetSafeHwnd());
        found = found || record->m_window->GetSafeHwnd() == window;
    }
    return later;
}

int Count() {
    const std::unique_ptr<Registry>& registry = TheRegistry();
    return registry ? static_cast<int>(registry->records.size()) : 0;
}

}  // namespace CzCanvasRegistry
