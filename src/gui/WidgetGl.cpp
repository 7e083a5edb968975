#include "gui/WidgetGl.h"

#include <epoxy/gl.h>

namespace corvid {

void FillFramebufferRect(int framebufferHeight, int x, int y, int width, int height, float r, float g, float b)
{
    if (width <= 0 || height <= 0)
        return;
    GLint box[4] = {};
    glGetIntegerv(GL_SCISSOR_BOX, box);
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);

    glEnable(GL_SCISSOR_TEST);
    glScissor(x, framebufferHeight - y - height, width, height);
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    glScissor(box[0], box[1], box[2], box[3]);
    if (!scissor)
        glDisable(GL_SCISSOR_TEST);
}

PictureTexture::~PictureTexture()
{
    Release();
}

void PictureTexture::Release()
{
    if (framebuffer_)
        glDeleteFramebuffers(1, &framebuffer_);
    if (texture_)
        glDeleteTextures(1, &texture_);
    framebuffer_ = texture_ = 0;
    width_ = height_ = 0;
}

bool PictureTexture::Upload(const Image& image)
{
    if (!IsValidImage(image))
        return false;
    GLint boundTexture = 0, boundRead = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &boundRead);
    if (!texture_)
        glGenTextures(1, &texture_);
    if (!framebuffer_)
        glGenFramebuffers(1, &framebuffer_);

    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 image.rgba.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);

    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
    const bool complete = glCheckFramebufferStatus(GL_READ_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(boundRead));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
    if (!complete) {
        Release();
        return false;
    }
    width_ = image.width;
    height_ = image.height;
    return true;
}

void PictureTexture::BlitTo(unsigned framebuffer, int framebufferHeight, int x, int y, int width, int height) const
{
    if (Empty())
        return;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    // The texture's first row is the picture's top: flip while stretching.
    const int bottom = framebufferHeight - y - height;
    glBlitFramebuffer(0, 0, width_, height_, x, bottom + height, x + width, bottom, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    if (scissor)
        glEnable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

} // namespace corvid
