// The recipe of a skin's artwork: which pictures to make and from what.
// One picture a line, words separated by spaces; a line that starts with
// "#" is a comment:
//
//   faces  FILE.svg                 the button faces, by element id
//   icons  FILE.svg                 the icons, by element id
//   canvas NAME.bmp MASK.bmp SOURCE.svg
//          a window's picture: colour (premultiplied, 24 bits) and its
//          opacity as an 8-bit mask whose palette index is the alpha
//   picture NAME.bmp SOURCE.svg #RRGGBB
//          an opaque 24-bit picture, flattened onto the colour
//   strip  NAME.bmp WIDTHxHEIGHT #RRGGBB FACE ICON ICONSIZE
//          a button strip of four frames (normal, pressed, hover,
//          disabled) on the colour: face element "FACE-<state>" filling
//          the frame, then the icon centred in a square of ICONSIZE; ICON
//          is "-" for none, or "NORMAL/PRESSED" for another icon (or "-")
//          while pressed
//   png    NAME.png SIZE SOURCE.svg an icon for the desktop, SIZE x SIZE
#pragma once

#include <QColor>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace movanta::skinart {

enum class ArtKind { Canvas, Picture, Strip, Png };

struct ArtItem {
    ArtKind kind = ArtKind::Picture;
    int line = 0;
    QString output;      // the picture's file name
    QString mask;        // Canvas: the mask's file name
    QString source;      // Canvas, Picture, Png: the SVG file
    QSize size;          // Strip: one frame; Png: the icon
    QColor backdrop;     // Picture, Strip
    QString face;        // Strip: face element prefix
    QString icon;        // Strip: icon element while not pressed, empty for none
    QString pressedIcon; // Strip: icon element while pressed, empty for none
    int iconSize = 0;    // Strip
};

struct Recipe {
    QString faces;  // SVG files, relative to the recipe's folder
    QString icons;
    std::vector<ArtItem> items;
};

// The recipe in `text`; on a malformed line nothing, with `error` naming
// the line and what is wrong with it.
std::optional<Recipe> ParseRecipe(const QString& text, QString& error);

}  // namespace movanta::skinart
