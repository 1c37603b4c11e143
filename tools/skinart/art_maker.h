// Making the pictures of a recipe from its SVG sources.
#pragma once

#include <QDir>
#include <QString>

#include "recipe.h"

namespace movanta::skinart {

// Renders every item of `recipe`, reading sources from `sources` and
// writing the pictures into `output`. False at the first item that cannot be
// made, with `error` naming it and why.
bool MakeArt(const Recipe& recipe, const QDir& sources, const QDir& output, QString& error);

}  // namespace movanta::skinart
