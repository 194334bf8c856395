#include "render/framebuffer.h"

#include <string>

#include "platform/fatal.h"

void Framebuffer::init(int width, int height, int depthKind, int colorCount) {
    if (fbo != 0) fatalError("Framebuffer: already inited");
    MORVIK_ASSERT(colorCount >= 1 && colorCount <= maxColorAttachments);
    this->width = width;
    this->height = height;
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);

    for (int i = 0; i < colorCount; ++i) {
        GLuint texture =
            externalColorTextures[i] != 0 ? externalColorTextures[i] : createAttachmentTexture(i);
        colorTextures[i] = texture;
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i, GL_TEXTURE_2D, texture, 0);
    }

    if (depthKind == 1) {
        GLuint rb = externalDepthRenderbuffer;
        if (rb == 0) {
            glGenRenderbuffers(1, &rb);
            glBindRenderbuffer(GL_RENDERBUFFER, rb);
            glRenderbufferStorage(GL_RENDERBUFFER, depthInternalFormat, width, height);
        }
        depthRenderbuffer = rb;
        // A combined format serves the stencil test as well.
        const bool stencil = depthInternalFormat == GL_DEPTH24_STENCIL8 ||
                             depthInternalFormat == GL_DEPTH32F_STENCIL8;
        glFramebufferRenderbuffer(GL_FRAMEBUFFER,
                                  stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                                  GL_RENDERBUFFER, rb);
    }

    // One attachment keeps GL's default draw buffer (colour 0).
    if (colorCount > 1) {
        static const GLenum attachments[maxColorAttachments] = {
            GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2, GL_COLOR_ATTACHMENT3,
            GL_COLOR_ATTACHMENT4, GL_COLOR_ATTACHMENT5, GL_COLOR_ATTACHMENT6, GL_COLOR_ATTACHMENT7};
        glDrawBuffers(colorCount, attachments);
    }

    checkComplete(depthKind);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void Framebuffer::checkComplete(int depthKind) const {
    GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        // The counts in brackets are sample counts: every target is single-sampled.
        fatalError("Framebuffer: creation failed, status code " + std::to_string(status) +
                   ". Called with w=" + std::to_string(width) + " h=" + std::to_string(height) +
                   " cat=2[0]  dat=" + std::to_string(depthKind) + "[0] ms=0");
    }
}

GLuint Framebuffer::createAttachmentTexture(int index) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, colorInternalFormats[index], width, height, 0, colorFormat,
                 colorType, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return texture;
}

Framebuffer::~Framebuffer() {
    glDeleteFramebuffers(1, &fbo);
    if (depthRenderbuffer != 0 && externalDepthRenderbuffer == 0)
        glDeleteRenderbuffers(1, &depthRenderbuffer);
    for (int i = 0; i < maxColorAttachments; ++i)
        if (colorTextures[i] != 0 && externalColorTextures[i] == 0)
            glDeleteTextures(1, &colorTextures[i]);
}
