#include "platform/gl/GlProbe.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cctype>

namespace corvid {

namespace {

std::string GlString(GLenum name)
{
    const auto* s = reinterpret_cast<const char*>(glGetString(name));
    return s ? std::string(s) : std::string();
}

// Whether a small framebuffer with a depth renderbuffer of format completes.
bool DepthFormatWorks(GLenum format)
{
    for (int i = 0; i < 64 && glGetError() != GL_NO_ERROR; ++i) {
    }
    GLuint fbo = 0, rb[2] = {0, 0};
    glGenFramebuffers(1, &fbo);
    glGenRenderbuffers(2, rb);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glBindRenderbuffer(GL_RENDERBUFFER, rb[0]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 4, 4);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rb[0]);
    glBindRenderbuffer(GL_RENDERBUFFER, rb[1]);
    glRenderbufferStorage(GL_RENDERBUFFER, format, 4, 4);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, rb[1]);
    const bool ok = glGetError() == GL_NO_ERROR && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glDeleteFramebuffers(1, &fbo);
    glDeleteRenderbuffers(2, rb);
    return ok;
}

} // namespace

bool IsSoftwareRenderer(const std::string& renderer)
{
    std::string lower = renderer;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("llvmpipe") != std::string::npos || lower.find("softpipe") != std::string::npos ||
           lower.find("swrast") != std::string::npos;
}

GlProbeResult ProbeCurrentContext()
{
    GlProbeResult r;
    r.version = GlString(GL_VERSION);
    if (r.version.empty()) {
        r.error = "no OpenGL context is current";
        return r;
    }
    r.ok = true;
    r.renderer = GlString(GL_RENDERER);
    r.vendor = GlString(GL_VENDOR);
    r.shadingLanguage = GlString(GL_SHADING_LANGUAGE_VERSION);
    glGetIntegerv(GL_MAJOR_VERSION, &r.major);
    glGetIntegerv(GL_MINOR_VERSION, &r.minor);
    r.softwareRasterizer = IsSoftwareRenderer(r.renderer);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &r.maxTextureSize);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &r.maxRenderbufferSize);

    GLint framebuffer = 0, renderbuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    glGetIntegerv(GL_RENDERBUFFER_BINDING, &renderbuffer);
    // 32 bits as GlDevice makes them: integer depth, else float depth.
    if (DepthFormatWorks(GL_DEPTH_COMPONENT16))
        r.depthBits.push_back(16);
    if (DepthFormatWorks(GL_DEPTH_COMPONENT24))
        r.depthBits.push_back(24);
    if (DepthFormatWorks(GL_DEPTH_COMPONENT32) || DepthFormatWorks(GL_DEPTH_COMPONENT32F))
        r.depthBits.push_back(32);
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(framebuffer));
    glBindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(renderbuffer));
    return r;
}

} // namespace corvid
