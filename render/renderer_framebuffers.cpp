// The framebuffer set: two jump-flood targets, the G-buffer, the composition
// target and the spare, all at the renderer's size, sharing what the passes
// hand from one to the next.
#include "render/framebuffer.h"
#include "render/renderer.h"

void Renderer::createFramebuffers() {
    deleteFramebuffers();
    const int w = width, h = height;

    for (Framebuffer*& jfa : jfaFramebuffers) {
        jfa = new Framebuffer;
        jfa->colorInternalFormats[0] = GL_RGBA32F;
        jfa->init(w, h, 0, 1);
    }

    // The G-buffer draws its seed image straight into the first jump-flood target.
    gBuffer = new Framebuffer;
    gBuffer->externalColorTextures[0] = jfaFramebuffers[0]->colorTextures[0];
    gBuffer->colorInternalFormats[1] = GL_RGBA32F;
    gBuffer->colorInternalFormats[2] = GL_RGBA32F;
    // Depth and stencil in one: the stencil marks the pixels the flood's
    // last step wrote, the only ones the composition shades.
    gBuffer->depthInternalFormat = GL_DEPTH24_STENCIL8;
    gBuffer->init(w, h, 1, 3);
    // The flood steps are depth-tested against the mesh depth too, so that
    // they shade only drawn pixels: the jump-flood targets borrow it. Bound
    // and attached (OpenGL 4.3 has no calls on a named framebuffer), then
    // checked as init checks a framebuffer.
    for (Framebuffer* jfa : jfaFramebuffers) {
        jfa->externalDepthRenderbuffer = jfa->depthRenderbuffer = gBuffer->depthRenderbuffer;
        jfa->depthInternalFormat = gBuffer->depthInternalFormat;
        glBindFramebuffer(GL_FRAMEBUFFER, jfa->fbo);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                  gBuffer->depthRenderbuffer);
        jfa->checkComplete(1);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    // Composition is depth-tested against the mesh depth of the G-buffer pass.
    finalFramebuffer = new Framebuffer;
    finalFramebuffer->externalDepthRenderbuffer = gBuffer->depthRenderbuffer;
    finalFramebuffer->depthInternalFormat = gBuffer->depthInternalFormat;
    finalFramebuffer->colorInternalFormats[0] = GL_RGBA32F;
    finalFramebuffer->init(w, h, 1, 1);

    spareFramebuffer = new Framebuffer;
    spareFramebuffer->colorInternalFormats[0] = GL_RGBA32F;
    spareFramebuffer->init(w, h, 1, 1);
}

void Renderer::deleteFramebuffers() {
    // Every sharer goes before the owner of what it shares.
    for (Framebuffer** slot : {&finalFramebuffer, &spareFramebuffer, &gBuffer, &jfaFramebuffers[1],
                               &jfaFramebuffers[0]}) {
        if (*slot) {
            delete *slot;
            *slot = nullptr;
        }
    }
}
