// movanta-skin show: a section of a package as a live canvas window.
#pragma once

#include <ostream>
#include <string>

namespace movanta::skintool {

struct ShowOptions {
    bool dialog = false;     // a canvas dialog instead of a frame window
    unsigned seconds = 0;    // end by itself after that long (0: when closed)
    std::string screenshot;  // a PNG of the screen once the window is up
};

// Shows the section until the window is closed (Escape or a right click);
// every command of its buttons is written to `out` as "command ID".
int Show(const std::string& package, const std::string& section, const ShowOptions& options, std::ostream& out,
         std::ostream& err);

}  // namespace movanta::skintool
