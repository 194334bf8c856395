#pragma once
// An off-screen render target: one framebuffer object with up to eight colour
// textures and an optional depth renderbuffer. Any attachment may be borrowed
// from another Framebuffer (set the external name before init); only what was
// created here is deleted here.

#include <GL/glew.h>

class Framebuffer {
  public:
    static constexpr int maxColorAttachments = 8;

    Framebuffer() = default;
    ~Framebuffer();
    Framebuffer(const Framebuffer&) = delete;
    Framebuffer& operator=(const Framebuffer&) = delete;

    // depthKind 0: no depth; 1: a depth renderbuffer. colorCount 1..8.
    // A second init, or an incomplete result, is fatal.
    void init(int width, int height, int depthKind, int colorCount);
    GLuint createAttachmentTexture(int index);
    // Fatal unless the framebuffer, bound to GL_FRAMEBUFFER, is complete;
    // depthKind as given to init.
    void checkComplete(int depthKind) const;

    GLenum colorInternalFormats[maxColorAttachments] = {GL_RGBA8, GL_RGBA8, GL_RGBA8, GL_RGBA8,
                                                        GL_RGBA8, GL_RGBA8, GL_RGBA8, GL_RGBA8};
    GLenum depthInternalFormat = GL_DEPTH_COMPONENT24;
    GLenum colorFormat = GL_RGBA;
    GLenum colorType = GL_UNSIGNED_BYTE;
    GLuint externalColorTextures[maxColorAttachments] = {};
    GLuint externalDepthRenderbuffer = 0;
    GLuint fbo = 0;
    GLuint depthRenderbuffer = 0;
    int width = 0;
    int height = 0;
    GLuint colorTextures[maxColorAttachments] = {};
};
