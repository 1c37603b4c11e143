// The application's settings in the registry: the user's choices under
// HKEY_CURRENT_USER and the machine's under HKEY_LOCAL_MACHINE, both at
// "Software\Nexaro Corp\Movanta\1.0". Numbers are 4-byte REG_BINARY values.
#pragma once

#include <cstdint>

#include "afx/cstring.h"

namespace movanta::app {

inline constexpr const WCHAR* kProgramKey = L"Software\\Nexaro Corp\\Movanta\\1.0";
inline constexpr const WCHAR* kDefaultFileFilter =
    L"*.mov; *.avi; *.mpg; *.mpe; *.dat; *.mpeg; *.wmv; *.asf; *.mp4; *.3gp; *.divx; *.rm;*.rmvb";

struct AppSettings {
    std::uint32_t videoQuality = 1;  // 0 low, 1 medium, 2 high
    std::uint32_t audioQuality = 1;
    std::uint32_t phone = 0;  // 0-4
    bool soundOn = true;
    std::uint32_t volume = 40;  // 0-100
    bool associate = false;     // Movanta owns the .3gp and .mp4 associations
    CString fileFilter = kDefaultFileFilter;
};

// Reads every setting. A missing (or unreadable) number is written back
// with its default at once, so that after the first run every value
// exists; the user's key is created when missing, the machine's never. A
// phone of 5 or more and a quality above 2 are read as phone 0 and medium,
// a volume above 100 as 100; none of these is written back.
AppSettings LoadSettings();

// Writes the user's five numbers (creating the key), then, when the
// machine's key exists, applies the file associations as `associate` says
// and records it as "ShellInted". Failed writes are left as they are.
void SaveSettings(const AppSettings& settings);

}  // namespace movanta::app
