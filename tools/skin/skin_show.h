// movanta-skin show: a section of a package as a live canvas window.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace movanta::skintool {

struct ShowOptions {
    bool dialog = false;     // a canvas dialog instead of a frame window
    unsigned seconds = 0;    // end by itself after that long (0: when closed)
    std::string screenshot;  // a PNG of the screen once the window is up
    int width = 0;           // the window's size after the skin (0: the picture's)
    int height = 0;
    std::vector<std::string> embedded;  // sections of canvases embedded in the window
    std::string texts;  // a Localization folder: texts as the application shows them
};

// Shows the section until the window is closed (Escape or a right click);
// every command of its buttons is written to `out` as "command ID". Texts
// show as "Text ID", or with `texts` as the application's texts in the
// locale's language (those it has none for stay "Text ID"). Each
// embedded section becomes a canvas window of its own inside the first
// (its Canvas key with STYLE 0x40000000 puts it into the slot of its name).
int Show(const std::string& package, const std::string& section, const ShowOptions& options, std::ostream& out,
         std::ostream& err);

}  // namespace movanta::skintool
