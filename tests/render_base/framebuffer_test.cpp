#include "render/framebuffer.h"

#include "test_assets.h"

namespace {

class FramebufferSet : public RenderTest {
  protected:
    void resize(int width, int height) {
        r.width = width;
        r.height = height;
        r.createFramebuffers();
    }
};

}  // namespace

// The seed the G-buffer pass writes is what the jump flood reads, and the
// composition target sees the G-buffer's depth.
TEST_F(FramebufferSet, SharedImagesAreVisibleThroughBothTargets) {
    resize(40, 30);
    EXPECT_NE(r.spareFramebuffer->depthRenderbuffer, r.gBuffer->depthRenderbuffer);
    EXPECT_NE(r.spareFramebuffer->depthRenderbuffer, 0u);
    const GLfloat seed[4] = {0.25f, -3.5f, 1e6f, 7.0f}, depth = 0.375f;
    glBindFramebuffer(GL_FRAMEBUFFER, r.gBuffer->fbo);
    glClearBufferfv(GL_COLOR, 0, seed);
    glClearBufferfv(GL_DEPTH, 0, &depth);
    GLint drawBuffer2 = 0;
    glGetIntegerv(GL_DRAW_BUFFER2, &drawBuffer2);
    EXPECT_EQ(drawBuffer2, GL_COLOR_ATTACHMENT2) << "the G-buffer draws to three targets";
    glBindFramebuffer(GL_FRAMEBUFFER, r.jfaFramebuffers[0]->fbo);
    Rgba p = readPixel(39, 29);  // 32-bit float storage keeps every value exactly
    EXPECT_TRUE(p.r == 0.25f && p.g == -3.5f && p.b == 1e6f && p.a == 7.0f);
    glBindFramebuffer(GL_FRAMEBUFFER, r.finalFramebuffer->fbo);
    GLfloat read = 0;
    glReadPixels(5, 5, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &read);
    EXPECT_NEAR(read, depth, 1e-6f);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(FramebufferSet, SharersDeleteOnlyWhatTheyCreated) {
    resize(40, 30);
    const GLuint sharedTexture = r.jfaFramebuffers[0]->colorTextures[0];
    const GLuint sharedDepth = r.gBuffer->depthRenderbuffer, gOwn = r.gBuffer->colorTextures[1];
    const GLuint finalOwn = r.finalFramebuffer->colorTextures[0];
    delete r.finalFramebuffer;
    r.finalFramebuffer = nullptr;
    EXPECT_TRUE(glIsRenderbuffer(sharedDepth) && !glIsTexture(finalOwn));
    delete r.gBuffer;
    r.gBuffer = nullptr;
    EXPECT_TRUE(glIsTexture(sharedTexture));
    EXPECT_FALSE(glIsRenderbuffer(sharedDepth) || glIsTexture(gOwn));
    delete r.jfaFramebuffers[0];
    r.jfaFramebuffers[0] = nullptr;
    EXPECT_FALSE(glIsTexture(sharedTexture));
}

TEST_F(FramebufferSet, ResizingTwiceLeavesFiveTargetsAtTheLastSize) {
    resize(40, 30);
    resize(64, 48);
    resize(17, 9);
    for (Framebuffer* fb : {r.jfaFramebuffers[0], r.jfaFramebuffers[1], r.gBuffer,
                            r.finalFramebuffer, r.spareFramebuffer}) {
        GLint size[2] = {0, 0};
        glGetTextureLevelParameteriv(fb->colorTextures[0], 0, GL_TEXTURE_WIDTH, &size[0]);
        glGetTextureLevelParameteriv(fb->colorTextures[0], 0, GL_TEXTURE_HEIGHT, &size[1]);
        EXPECT_TRUE(fb->width == 17 && fb->height == 9 && size[0] == 17 && size[1] == 9);
    }
    // Textures (1 + 1 + 2 own + 1 + 1), framebuffers and renderbuffers.
    const LiveObjects after = countLiveObjects();
    EXPECT_EQ(after[0] - baseline[0], 6);
    EXPECT_EQ(after[3] - baseline[3], 5);
    EXPECT_EQ(after[4] - baseline[4], 2);
    r.deleteFramebuffers();
    r.deleteFramebuffers();  // nothing left: does nothing
    EXPECT_EQ(r.gBuffer, nullptr);
    EXPECT_EQ(countLiveObjects(), baseline);
}
