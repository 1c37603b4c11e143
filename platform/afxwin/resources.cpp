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
    const T* Find(HINSTANCE module, UINT id) {
        std::lock_guard guard(lock);
        auto it = entries.find({module, id});
        if (it != entries.end()) return &it->second;
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
