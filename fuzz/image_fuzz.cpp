// Feeds arbitrary bytes to the image decoder. Any input must either decode
// to a consistent image or fail with a reason; nothing may crash or leak.
#include "platform/ImageService.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Smaller than the program's limits so that a tiny header claiming a huge
    // picture does not make every run decode a quarter of a gigabyte; the
    // checks are the same ones the full limits go through.
    corvid::ImageLimits limits;
    limits.maxSide = 4096;
    limits.maxPixels = 1 << 22;
    std::string error;
    auto image = corvid::DecodeImage(data, size, limits, &error);
    if (image) {
        if (!corvid::IsValidImage(*image) || image->width > limits.maxSide ||
            image->height > limits.maxSide)
            std::abort();
    } else if (error.empty()) {
        std::abort();  // every failure must say why
    }
    return 0;
}
