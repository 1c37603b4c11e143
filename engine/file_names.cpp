#include "engine/file_names.h"

namespace movanta::engine {

std::wstring Extension(const std::wstring& path) {
    const size_t dot = path.rfind(L'.');
    const size_t slash = path.find_last_of(L"/\\");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return {};
    return path.substr(dot);
}

std::wstring GraphFileName(const std::wstring& path, const wchar_t* suffix) {
    const size_t slash = path.find_last_of(L"/\\");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
    return name + suffix + L".grf";
}

}  // namespace movanta::engine
