#pragma once
// Saving a viewport as a still picture ("Save image ..."): the size settings
// kept in the Editor, the file-name rule, the off-screen render at the chosen
// size with the viewport's render states, the optional 3x3 smoothing, and
// the 24-bit bottom-up BMP (or a PNG when the name ends in .png).

#include "platform/ImageService.h"

#include <string>

namespace corvid {

class ViewSet;

constexpr int kMaxCaptureSide = 2048;
constexpr const char* kImageFileFilter = "BMP Files (*.bmp)|*.bmp|All Files (*.*)|*.*||";
// The messages of a capture that cannot render.
constexpr const char* kCaptureDeviceError = "CreateDevice from surface";
constexpr const char* kCaptureSurfaceError = "Error";

struct ImageCaptureSettings {
    int currentWidth = 0, currentHeight = 0;    // the viewport's client size when the dialog opened
    int customWidth = 640, customHeight = 480;  // each 1..2048
    bool useCurrentSize = true;                 // else the custom size
    bool smoothing = false;
};

// The "Image size" dialog's custom fields accept only 1..2048.
inline bool IsCaptureSide(int side)
{
    return side >= 1 && side <= kMaxCaptureSide;
}

// The chosen name with ".bmp" appended when its last component has no
// extension; a name with any extension is used as given.
std::string ImageFileName(const std::string& chosen);

// Replaces every pixel by the per-channel integer average of itself and
// those of its eight neighbours inside the picture, each computed from the
// picture as it was. Alpha is left alone.
void SmoothImage(Image& image);

// Stores viewport n's (1..4) client size as the current size.
void TakeCurrentSize(ViewSet& views, int n, ImageCaptureSettings& settings);

// Renders viewport n's view off-screen at the chosen size (driver 1, or the
// viewport's own driver when driver 1 is missing or refuses) with its render
// states and a back plane at 10000, smooths it when asked and writes it to
// path as a PNG when the name ends in .png, else as a 24-bit BMP. Stops at
// the first failure with its message (through the views' Ui) and writes
// nothing then; false. The cursor is busy while the file is written.
// The device stays in views.captureDevice for the next capture (see
// ViewSet::CaptureDevice); one that gave no picture is released.
bool CaptureViewImage(ViewSet& views, int n, const ImageCaptureSettings& settings, const std::string& path);

} // namespace corvid
