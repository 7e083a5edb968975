#pragma once
// The application's icon, drawn in code: a crow standing on a shaded cube
// on a blue tile. The window, the About boxes and the splash show it; the
// desktop entry's PNG files under data/icons are this drawing, saved.

#include <QIcon>
#include <QImage>

namespace corvid {

// The icon drawn at size x size pixels (transparent around the tile).
QImage DrawApplicationIcon(int size);

// The icon at the sizes a desktop asks for (16 to 256 pixels).
QIcon ApplicationIcon();

// The sizes the desktop entry's PNG files come in, smallest first.
constexpr int kApplicationIconSizes[] = {16, 32, 48, 64, 128, 256};

} // namespace corvid
