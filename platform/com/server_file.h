// Calling a plug-in file's registration entry point.
#pragma once

#include <string>

#include "com/hresult.h"

namespace movanta {

enum class ServerFileResult { Done, CannotLoad, NoEntryPoint, EntryFailed };

// Loads the plug-in at `path` (made absolute first, so the plug-in records
// where it really lives) and calls DllRegisterServer or DllUnregisterServer.
// On failure `error` gets a message that names the file and the reason.
ServerFileResult RegisterServerFile(const std::string& path, bool registering, std::string& error);

}  // namespace movanta
