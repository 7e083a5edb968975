#pragma once
// Pixel sizes and rectangles of viewport windows and render pictures.

namespace corvid {

struct Size {
    int width = 0, height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
    Size GetSize() const { return {width, height}; }
};

} // namespace corvid
