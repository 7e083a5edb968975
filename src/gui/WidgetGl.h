#pragma once
// The few raw OpenGL steps the viewport widget takes in its own context:
// filling rectangles and showing a picture read back from another context.
// Kept apart from the Qt widget code: this file talks to GL through
// libepoxy, the widgets through Qt only. Coordinates are framebuffer pixels
// with y counted from the top.

#include "platform/ImageService.h"

namespace corvid {

// Fills the rectangle of the framebuffer bound for drawing (height tall).
// Leaves the scissor state as it was.
void FillFramebufferRect(int framebufferHeight, int x, int y, int width, int height, float r, float g, float b);

// A picture held in a texture of the current context, stretched onto a
// framebuffer on demand. Create, use and destroy it with that context current.
class PictureTexture {
public:
    PictureTexture() = default;
    ~PictureTexture();
    PictureTexture(const PictureTexture&) = delete;
    PictureTexture& operator=(const PictureTexture&) = delete;

    // Replaces the picture (top row first). False for an invalid image.
    bool Upload(const Image& image);
    bool Empty() const { return width_ == 0; }
    // Stretches the picture (linear filtering) onto x, y, width, height of
    // framebuffer, whose height is framebufferHeight; leaves it bound.
    void BlitTo(unsigned framebuffer, int framebufferHeight, int x, int y, int width, int height) const;
    // Gives the GL objects back (the context must be current).
    void Release();

private:
    unsigned texture_ = 0;
    unsigned framebuffer_ = 0;
    int width_ = 0, height_ = 0;
};

} // namespace corvid
