#pragma once
// An OpenGL 3.3 core context with no window and no display server: EGL on
// Mesa's surfaceless platform. Rendering goes into framebuffer objects
// (GlDevice makes its own). The context is made current on creation.

#include <memory>
#include <string>

namespace corvid {

class EglContext {
public:
    // Null, with a reason in error, when EGL, the surfaceless platform or a
    // 3.3 core context is not available.
    static std::unique_ptr<EglContext> Create(std::string* error = nullptr);
    ~EglContext();
    EglContext(const EglContext&) = delete;
    EglContext& operator=(const EglContext&) = delete;

    // Makes the context current on the calling thread (with no surface).
    bool MakeCurrent() const;
    // Releases it from the calling thread.
    void DoneCurrent() const;
    bool IsCurrent() const;

private:
    EglContext() = default;
    void* display_ = nullptr;  // EGLDisplay
    void* context_ = nullptr;  // EGLContext
};

} // namespace corvid
