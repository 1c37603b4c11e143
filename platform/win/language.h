// The system's default language as the platform's language identifier
// (0x0409 English, United States), taken from LC_ALL, LC_MESSAGES or LANG
// ("de_DE.UTF-8" gives 0x0407). An unknown or unset language is 0x0409.
#pragma once

#include "win/wintypes.h"

using LANGID = WORD;

LANGID GetSystemDefaultLangID();
