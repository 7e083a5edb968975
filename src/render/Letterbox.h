#pragma once
// Where a picture of a fixed size goes on a larger or smaller window when it
// is scaled to fit without distortion: the full-screen view shows its chosen
// resolution this way on whatever screen it is on.

#include "render/ViewGeometry.h"

namespace corvid {

// The largest rectangle of picture's aspect that fits inside window,
// centred, with bars on two opposite sides (or none). Empty when either
// size is empty.
Rect LetterboxRect(Size window, Size picture);

} // namespace corvid
