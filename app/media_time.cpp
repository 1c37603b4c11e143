#include "media_time.h"

#include <cwchar>

namespace movanta::app {

std::wstring MediaTimeText(std::int64_t time) {
    const std::int64_t seconds = time > 0 ? time / 10000 / 1000 : 0;
    wchar_t text[32];
    if (seconds < 3600) {
        std::swprintf(text, 32, L"%02d:%02d", static_cast<int>(seconds / 60), static_cast<int>(seconds % 60));
    } else {
        std::swprintf(text, 32, L"%d:%02d:%02d", static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                      static_cast<int>(seconds % 60));
    }
    return text;
}

}  // namespace movanta::app
