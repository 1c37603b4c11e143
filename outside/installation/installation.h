// Installation: the checks the application makes at start, that its
// plug-ins are registered and that the media layer works.
#pragma once

#include "win/wintypes.h"

extern "C" {

// Checks that every plug-in in the "plugins" folder beside this library has
// each of its classes registered at the plug-in's own path, and registers
// the plug-ins that have not, so a moved or half-registered installation
// repairs itself. A registration that fails is reported once a process on
// the debug output. TRUE when every plug-in is registered afterwards.
BOOL ZINTChkAndRegFiles();

// 90 or more when the media layer works (the filter graph manager, the file
// source and the decoders, and with them the FFmpeg libraries, are created);
// less when one is missing, with the reason on the debug output.
DWORD ZINTChkDirectX();
}
