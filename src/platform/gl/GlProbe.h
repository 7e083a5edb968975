#pragma once
// What the current OpenGL context offers: version and renderer strings,
// whether it rasterises in software, and which depth-buffer sizes a render
// surface can have. Used to fill driver records and to explain a failure.

#include <string>
#include <vector>

namespace corvid {

struct GlProbeResult {
    bool ok = false;        // a context was current and answered
    std::string error;      // why not, when !ok
    std::string version;    // GL_VERSION
    std::string renderer;   // GL_RENDERER
    std::string vendor;     // GL_VENDOR
    std::string shadingLanguage;  // GL_SHADING_LANGUAGE_VERSION
    int major = 0, minor = 0;
    bool softwareRasterizer = false;  // llvmpipe, softpipe or swrast
    int maxTextureSize = 0;
    int maxRenderbufferSize = 0;
    // Depth sizes (of 16, 24, 32) for which a framebuffer with an RGBA8
    // colour buffer and a depth renderbuffer of that size is complete.
    std::vector<int> depthBits;
};

// Probes the context current on this thread. Leaves the GL state as it was
// (the framebuffer and renderbuffer bindings are restored).
GlProbeResult ProbeCurrentContext();

// True for renderer strings of Mesa's software rasterisers.
bool IsSoftwareRenderer(const std::string& renderer);

} // namespace corvid
