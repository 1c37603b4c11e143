// Names the jobs derive from the paths they are given.
#pragma once

#include <string>

namespace movanta::engine {

// The extension with its dot (".3gp"), or empty; a dot in a folder's name
// is not an extension.
std::wstring Extension(const std::wstring& path);

// The base name without folder and extension, with `suffix` and ".grf"
// ("clip_cnt.grf"): where a job's graph may be saved.
std::wstring GraphFileName(const std::wstring& path, const wchar_t* suffix);

}  // namespace movanta::engine
