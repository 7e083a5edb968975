#include "render/Letterbox.h"

#include <cstdint>

namespace corvid {

Rect LetterboxRect(Size window, Size picture)
{
    if (window.width <= 0 || window.height <= 0 || picture.width <= 0 || picture.height <= 0)
        return {};
    // Compare window.w / window.h with picture.w / picture.h in integers.
    const int64_t wide = int64_t{window.width} * picture.height;
    const int64_t tall = int64_t{window.height} * picture.width;
    int width = window.width, height = window.height;
    if (wide > tall)
        width = static_cast<int>(tall / picture.height);  // bars left and right
    else if (wide < tall)
        height = static_cast<int>(wide / picture.width);  // bars above and below
    return {(window.width - width) / 2, (window.height - height) / 2, width, height};
}

} // namespace corvid
