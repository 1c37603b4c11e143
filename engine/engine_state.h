// The engine's module-wide state: initialisation, the current profile, the
// diagnostics switches and the two job lists. Used from the application's
// user-interface thread only (the workers never touch it).
#pragma once

#include <memory>
#include <vector>

#include "engine/conversion_job.h"
#include "engine/preview_job.h"

namespace movanta::engine {

struct EngineState {
    HINSTANCE instance = nullptr;
    HWND defaultOwner = nullptr;
    std::shared_ptr<const ProfileCopy> profile;
    std::int32_t dtConfig[2] = {0, 0};  // bSaveGraph, and a word kept unread
    std::vector<std::shared_ptr<CMovanta>> conversions;
    std::vector<std::shared_ptr<CAVPreview>> previews;

    bool Initialised() const { return instance != nullptr; }
    bool SaveGraph() const { return dtConfig[0] != 0; }
};

EngineState& Engine();

}  // namespace movanta::engine
