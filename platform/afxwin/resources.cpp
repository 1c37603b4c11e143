#include "afxwin/resources.h"

#include <map>
#include <mutex>
#include <utility>

#include "win/text.h"

namespace {

template <class T>
struct ResourceTable {
    std::mutex lock;
    std::map<std::pair<HINSTANCE, UINT>, T> entries;

    void Add(HINSTANCE module, UINT id, T value) {
        std::lock_guard guard(lock);
        entries[{module, id}] = std::move(value);
    }
    // Entries are never removed, so the pointer stays good.
    const T* FindOwn(HINSTANCE module, UINT id) {
        std::lock_guard guard(lock);
        auto it = entries.find({module, id});
        return it != entries.end() ? &it->second : nullptr;
    }
    const T* Find(HINSTANCE module, UINT id) {
        if (const T* own = FindOwn(module, id)) return own;
        std::lock_guard guard(lock);
        for (const auto& [key, value] : entries) {
            if (key.second == id) return &value;
        }
        return nullptr;
    }
};

ResourceTable<DialogTemplate>& Dialogs() {
    static ResourceTable<DialogTemplate> table;
    return table;
}

ResourceTable<std::wstring>& Strings() {
    static ResourceTable<std::wstring> table;
    return table;
}

ResourceTable<VersionResource>& Versions() {
    static ResourceTable<VersionResource> table;
    return table;
}

// The identifier of a module's version resource.
constexpr UINT kVersionInfo = 1;

}  // namespace

RECT DialogUnitsToPixels(const RECT& units) {
    return {units.left * kDialogBaseX / 4, units.top * kDialogBaseY / 8, units.right * kDialogBaseX / 4,
            units.bottom * kDialogBaseY / 8};
}

void RegisterDialogTemplate(HINSTANCE module, UINT id, DialogTemplate dialog) {
    Dialogs().Add(module, id, std::move(dialog));
}

const DialogTemplate* FindDialogTemplate(HINSTANCE module, UINT id) {
    return Dialogs().Find(module, id);
}

void RegisterStringResource(HINSTANCE module, UINT id, std::wstring text) {
    Strings().Add(module, id, std::move(text));
}

int LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int capacity) {
    const std::wstring* text = Strings().Find(module, id);
    if (text == nullptr || buffer == nullptr || capacity <= 0) return 0;
    return static_cast<int>(movanta::CopyToBuffer(*text, buffer, static_cast<size_t>(capacity)));
}

void RegisterVersionResource(HINSTANCE module, VersionResource version) {
    Versions().Add(module, kVersionInfo, version);
}

const VersionResource* FindVersionResource(HINSTANCE module) {
    return Versions().FindOwn(module, kVersionInfo);
}
