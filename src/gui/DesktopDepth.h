#pragma once
// The desktop's colour depth in bits per pixel, as the program counts it.

namespace corvid {

// A 24-bit X visual stores its pixels in 32 bits: that desktop counts as 32.
// Every other depth is taken as the window system reports it.
int DesktopColorDepthOf(int visualDepth);

// The depth of the primary screen; 0 when there is no screen.
int CurrentDesktopColorDepth();

} // namespace corvid
