#include "platform/headless/EglContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstring>

namespace corvid {

namespace {

bool HasExtension(const char* list, const char* name)
{
    if (!list)
        return false;
    const size_t n = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += n)
        if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0'))
            return true;
    return false;
}

std::string EglError(const char* what)
{
    char code[16];
    std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(eglGetError()));
    return std::string(what) + " failed (EGL error " + code + ")";
}

void SetError(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
}

} // namespace

std::unique_ptr<EglContext> EglContext::Create(std::string* error)
{
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        SetError(error, "EGL offers no surfaceless platform (EGL_MESA_platform_surfaceless)");
        return nullptr;
    }
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        SetError(error, "EGL has no eglGetPlatformDisplayEXT");
        return nullptr;
    }
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) {
        SetError(error, EglError("eglGetPlatformDisplayEXT"));
        return nullptr;
    }
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
        SetError(error, EglError("eglInitialize"));
        return nullptr;
    }
    std::unique_ptr<EglContext> self(new EglContext);
    self->display_ = display;

    const char* displayExtensions = eglQueryString(display, EGL_EXTENSIONS);
    if (!HasExtension(displayExtensions, "EGL_KHR_surfaceless_context")) {
        SetError(error, "EGL cannot make a context current without a surface (EGL_KHR_surfaceless_context)");
        return nullptr;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        SetError(error, EglError("eglBindAPI(EGL_OPENGL_API)"));
        return nullptr;
    }
    EGLConfig config = EGL_NO_CONFIG_KHR;
    if (!HasExtension(displayExtensions, "EGL_KHR_no_config_context")) {
        const EGLint attributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
        EGLint count = 0;
        if (!eglChooseConfig(display, attributes, &config, 1, &count) || count < 1) {
            SetError(error, "EGL has no configuration for desktop OpenGL");
            return nullptr;
        }
    }
    const EGLint contextAttributes[] = {
        EGL_CONTEXT_MAJOR_VERSION, 3,
        EGL_CONTEXT_MINOR_VERSION, 3,
        EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
        EGL_NONE,
    };
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) {
        SetError(error, EglError("creating an OpenGL 3.3 core context"));
        return nullptr;
    }
    self->context_ = context;
    if (!self->MakeCurrent()) {
        SetError(error, EglError("eglMakeCurrent"));
        return nullptr;
    }
    return self;
}

EglContext::~EglContext()
{
    if (!display_)
        return;
    if (context_) {
        if (IsCurrent())
            eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display_, context_);
    }
    // The display stays initialised: it is one per process, and eglTerminate
    // would pull it from under every other context made on it.
}

bool EglContext::MakeCurrent() const
{
    return eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_) == EGL_TRUE;
}

void EglContext::DoneCurrent() const
{
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

bool EglContext::IsCurrent() const
{
    return context_ && eglGetCurrentContext() == context_;
}

} // namespace corvid
