#include "test_assets.h"

using FramebufferSet = RenderTest;

// The seed the G-buffer pass writes is what the jump flood reads, the
// composition target sees the G-buffer's depth, and each sharer deletes only
// what it created.
TEST_F(FramebufferSet, SharedImagesAreSeenThroughBothTargetsAndDeletedByTheirMaker) {
    r.width = 40;
    r.height = 30;
    r.createFramebuffers();
    const GLfloat seed[4] = {0.25f, -3.5f, 1e6f, 7.0f}, depth = 0.375f;
    glBindFramebuffer(GL_FRAMEBUFFER, r.gBuffer->fbo);
    glClearBufferfv(GL_COLOR, 0, seed);
    glClearBufferfv(GL_DEPTH, 0, &depth);
    glBindFramebuffer(GL_FRAMEBUFFER, r.jfaFramebuffers[0]->fbo);
    Rgba p = readPixel(39, 29);  // 32-bit float storage keeps every value exactly
    EXPECT_TRUE(p.r == 0.25f && p.g == -3.5f && p.b == 1e6f && p.a == 7.0f);
    glBindFramebuffer(GL_FRAMEBUFFER, r.finalFramebuffer->fbo);
    GLfloat read = 0;
    glReadPixels(5, 5, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &read);
    EXPECT_NEAR(read, depth, 1e-6f);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    const GLuint shared = r.jfaFramebuffers[0]->colorTextures[0];
    const GLuint sharedDepth = r.gBuffer->depthRenderbuffer, gOwn = r.gBuffer->colorTextures[1];
    const GLuint finalOwn = r.finalFramebuffer->colorTextures[0];
    delete std::exchange(r.finalFramebuffer, nullptr);
    EXPECT_TRUE(glIsRenderbuffer(sharedDepth) && !glIsTexture(finalOwn));
    delete std::exchange(r.gBuffer, nullptr);
    EXPECT_TRUE(glIsTexture(shared) && !glIsRenderbuffer(sharedDepth) && !glIsTexture(gOwn));
    delete std::exchange(r.jfaFramebuffers[0], nullptr);
    EXPECT_FALSE(glIsTexture(shared));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(FramebufferSet, ResizingTwiceLeavesFiveTargetsAtTheLastSize) {
    for (auto [w, h] : {std::pair{40, 30}, {64, 48}, {17, 9}}) {
        r.width = w;
        r.height = h;
        r.createFramebuffers();
    }
    for (Framebuffer* fb : {r.jfaFramebuffers[0], r.jfaFramebuffers[1], r.gBuffer,
                            r.finalFramebuffer, r.spareFramebuffer}) {
        GLint width = 0;
        glGetTextureLevelParameteriv(fb->colorTextures[0], 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_TRUE(fb->width == 17 && fb->height == 9 && width == 17);
    }
    // Textures (1 + 1 + 2 own + 1 + 1), framebuffers and renderbuffers.
    const LiveObjects& b = baseline;
    EXPECT_EQ(countLiveObjects(), (LiveObjects{b[0] + 6, b[1], b[2], b[3] + 5, b[4] + 2}));
    r.deleteFramebuffers();
    r.deleteFramebuffers();  // nothing left: does nothing
    EXPECT_EQ(countLiveObjects(), baseline);
}
