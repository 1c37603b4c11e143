// langtext: the application's texts by numeric identifier, from gettext
// catalogues in the Localization folder, in the language of the user's
// locale with English behind every missing text.
#pragma once

#include "win/wintypes.h"

extern "C" {

// Loads the catalogues under `folder` (the platform's path form): English
// from "en/LC_MESSAGES/movanta.mo" and the locale's language (LC_ALL,
// LC_MESSAGES, LANG) from "<language>/LC_MESSAGES/movanta.mo". A missing or
// damaged catalogue is skipped and reported on the debug output. TRUE when
// the English catalogue loaded. Texts handed out earlier stay valid.
BOOL orkInitMLTran(LPCWSTR folder, int reserved);

// The text of `id`: the locale's language when it has one, else English,
// else null. The pointer stays valid for the life of the process.
LPCWSTR orkMLGetString(int id);
}
