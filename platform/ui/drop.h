// What an HDROP handle points to. Internal to the desktop library.
#pragma once

#include <string>
#include <vector>

#include "ui/shell.h"

namespace movanta::ui {

struct Drop {
    std::vector<std::wstring> files;
    POINT point;  // client coordinates of the drop
};

// A new handle for WM_DROPFILES; DragFinish frees it.
HDROP MakeDrop(std::vector<std::wstring> files, POINT point);

}  // namespace movanta::ui
