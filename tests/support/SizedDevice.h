#pragma once
// A device that draws nothing but has a picture size, for code that only
// needs to know how big a view is (picking, the tools' cursor arithmetic).

#include "platform/Device.h"

namespace corvid {

struct SizedDevice : Device {
    SizedDevice(int w, int h) : width(w), height(h) {}
    int GetWidth() const override { return width; }
    int GetHeight() const override { return height; }
    void SetQuality(unsigned) override {}
    void SetShades(int) override {}
    void SetDither(bool) override {}
    void SetRenderMode(unsigned) override {}
    void SetTextureQuality(TextureQuality) override {}
    void Clear(const Frame&) override {}
    void Render(const Frame&, const Frame&, const ViewParameters&) override {}
    void Update() override {}
    Image ReadPixels() override { return {}; }
    int width, height;
};

} // namespace corvid
