#pragma once

#include <QPixmap>

#include <string_view>

// A picture of the game's artwork by its name ("runner0_a"): drawn from pixels
// made when the program was built (tools/bake_art.py), shared, never copied.
// A name that is not among the pictures gives a null pixmap; the layouts ask
// through artwork(), which checks the name while compiling.
QPixmap bakedPicture(std::string_view name);
