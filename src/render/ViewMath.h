#pragma once
// The arithmetic of view set-up, free of any device: the sixteen viewport
// layouts, the detail-level picture size, the render-output box and the shade
// count.

#include "render/ViewGeometry.h"

#include <array>
#include <optional>

namespace corvid {

constexpr int kLayoutKindCount = 16;

// Where VIEWPORT_1..4 go in a viewport area of width x height for layout
// kind 1..16, relative to the area's origin; an empty slot is a viewport the
// layout does not use. An unknown kind uses none.
std::array<std::optional<Rect>, 4> LayoutViewports(int kind, int width, int height);
// Which viewports kind uses.
std::array<bool, 4> UsedViewports(int kind);

// The render picture size for a window of client size at detail percent.
Size ScaleByDetail(Size client, int detail);

// Where the render-output picture (outputWidth x outputHeight) goes inside
// a window of client size: 400 wide when it is wider than 4:3, else 300 high,
// centred both ways.
Rect RenderOutputBox(Size client, int outputWidth, int outputHeight);

// Shades per colour a device uses at a desktop depth: 32 at 16 bits, else 256.
int ShadeCount(int desktopDepth);

} // namespace corvid
