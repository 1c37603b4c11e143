// What the tests on a real X server share: letting messages flow for a
// while, and the screen saved as a PNG (in MOVANTA_SCREENSHOT_DIR, else the
// temporary folder) for a person to look at.
#pragma once

#include <QImage>

#include "win/windows.h"

namespace movanta::testing {

void Pump(DWORD ms);
QImage SaveScreenshot(const char* name);

}  // namespace movanta::testing
