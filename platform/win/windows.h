// The platform API of the headless back end in one include.
#pragma once

#include "win/debug.h"
#include "win/files.h"
#include "win/process.h"
#include "win/sync.h"
#include "win/text.h"
#include "win/thread.h"
#include "win/wintypes.h"
#include "win/winuser.h"
