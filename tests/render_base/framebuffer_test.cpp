#include "render/framebuffer.h"

#include <gtest/gtest.h>

#include "fatal_scenario.h"
#include "gl_context.h"
#include "render/renderer.h"
#include "test_assets.h"

namespace {

GLint textureLevelParameter(GLuint texture, GLenum parameter) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, parameter, &value);
    glBindTexture(GL_TEXTURE_2D, 0);
    return value;
}

std::vector<Framebuffer*> theSet(Renderer& r) {
    return {r.jfaFramebuffers[0], r.jfaFramebuffers[1], r.gBuffer, r.finalFramebuffer,
            r.spareFramebuffer};
}

GLint drawBuffer(GLuint fbo, int index) {
    GLint value = 0;
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glGetIntegerv(GL_DRAW_BUFFER0 + index, &value);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return value;
}

class FramebufferSet : public testing::Test {
  protected:
    void SetUp() override {
        if (!testGLWindow()) GTEST_SKIP() << "no OpenGL display";
        r.width = 40;
        r.height = 30;
    }
    void TearDown() override { r.deleteFramebuffers(); }
    Renderer r;  // a private one; its destruction makes no GL call
};

}  // namespace

TEST_F(FramebufferSet, SharedImagesAreTheSameAndVisibleThroughBothTargets) {
    r.createFramebuffers();
    ASSERT_EQ(r.gBuffer->colorTextures[0], r.jfaFramebuffers[0]->colorTextures[0]);
    ASSERT_EQ(r.finalFramebuffer->depthRenderbuffer, r.gBuffer->depthRenderbuffer);
    EXPECT_NE(r.spareFramebuffer->depthRenderbuffer, r.gBuffer->depthRenderbuffer);
    EXPECT_NE(r.spareFramebuffer->depthRenderbuffer, 0u);
    EXPECT_EQ(r.jfaFramebuffers[0]->depthRenderbuffer, 0u);

    // The seed written by the G-buffer pass is what the jump flood reads.
    const GLfloat seed[4] = {0.25f, -3.5f, 1e6f, 7.0f};
    glBindFramebuffer(GL_FRAMEBUFFER, r.gBuffer->fbo);
    glClearBufferfv(GL_COLOR, 0, seed);
    glClearBufferfv(GL_DEPTH, 0, std::vector<GLfloat>{0.375f}.data());
    glBindFramebuffer(GL_FRAMEBUFFER, r.jfaFramebuffers[0]->fbo);
    Rgba p = readPixel(39, 29);
    EXPECT_EQ(p.r, 0.25f);  // 32-bit float storage keeps every value exactly
    EXPECT_EQ(p.g, -3.5f);
    EXPECT_EQ(p.b, 1e6f);
    EXPECT_EQ(p.a, 7.0f);
    // The composition target sees the mesh depth of the G-buffer pass.
    glBindFramebuffer(GL_FRAMEBUFFER, r.finalFramebuffer->fbo);
    GLfloat depth = 0;
    glReadPixels(5, 5, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_NEAR(depth, 0.375f, 1e-6f);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    // Only the G-buffer has several draw buffers.
    EXPECT_EQ(drawBuffer(r.gBuffer->fbo, 0), GL_COLOR_ATTACHMENT0);
    EXPECT_EQ(drawBuffer(r.gBuffer->fbo, 1), GL_COLOR_ATTACHMENT1);
    EXPECT_EQ(drawBuffer(r.gBuffer->fbo, 2), GL_COLOR_ATTACHMENT2);
    EXPECT_EQ(drawBuffer(r.finalFramebuffer->fbo, 0), GL_COLOR_ATTACHMENT0);
    EXPECT_EQ(drawBuffer(r.finalFramebuffer->fbo, 1), GL_NONE);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(FramebufferSet, SharersDeleteOnlyWhatTheyCreated) {
    r.createFramebuffers();
    const GLuint sharedTexture = r.jfaFramebuffers[0]->colorTextures[0];
    const GLuint sharedDepth = r.gBuffer->depthRenderbuffer;
    const GLuint gOwn1 = r.gBuffer->colorTextures[1], gOwn2 = r.gBuffer->colorTextures[2];
    const GLuint finalOwn = r.finalFramebuffer->colorTextures[0];

    delete r.finalFramebuffer;
    r.finalFramebuffer = nullptr;
    EXPECT_TRUE(glIsRenderbuffer(sharedDepth));
    EXPECT_FALSE(glIsTexture(finalOwn));

    delete r.gBuffer;
    r.gBuffer = nullptr;
    EXPECT_TRUE(glIsTexture(sharedTexture));
    EXPECT_FALSE(glIsRenderbuffer(sharedDepth));
    EXPECT_FALSE(glIsTexture(gOwn1));
    EXPECT_FALSE(glIsTexture(gOwn2));

    delete r.jfaFramebuffers[0];
    r.jfaFramebuffers[0] = nullptr;
    EXPECT_FALSE(glIsTexture(sharedTexture));
}

TEST_F(FramebufferSet, ResizingTwiceLeavesExactlyFiveTargetsAtTheLastSize) {
    const LiveObjects before = countLiveObjects();
    r.createFramebuffers();
    r.width = 64;
    r.height = 48;
    r.createFramebuffers();
    r.width = 17;
    r.height = 9;
    r.createFramebuffers();

    for (Framebuffer* fb : theSet(r)) {
        ASSERT_NE(fb, nullptr);
        EXPECT_EQ(fb->width, 17);
        EXPECT_EQ(fb->height, 9);
        EXPECT_EQ(textureLevelParameter(fb->colorTextures[0], GL_TEXTURE_WIDTH), 17);
        EXPECT_EQ(textureLevelParameter(fb->colorTextures[0], GL_TEXTURE_HEIGHT), 9);
        EXPECT_EQ(textureLevelParameter(fb->colorTextures[0], GL_TEXTURE_INTERNAL_FORMAT),
                  GL_RGBA32F);
    }
    const LiveObjects after = countLiveObjects();
    EXPECT_EQ(after.framebuffers - before.framebuffers, 5);
    EXPECT_EQ(after.textures - before.textures, 6);  // 1 + 1 + 2 own + 1 + 1
    EXPECT_EQ(after.renderbuffers - before.renderbuffers, 2);

    r.deleteFramebuffers();
    for (Framebuffer* fb : theSet(r)) EXPECT_EQ(fb, nullptr);
    r.deleteFramebuffers();  // nothing left: does nothing
    const LiveObjects cleared = countLiveObjects();
    EXPECT_EQ(cleared.framebuffers, before.framebuffers);
    EXPECT_EQ(cleared.textures, before.textures);
    EXPECT_EQ(cleared.renderbuffers, before.renderbuffers);
}

TEST(FramebufferFatal, SecondInitAndIncompleteTargetEndTheProgram) {
    REQUIRE_GL();
    TestAssets assets;
    ChildResult twice = runFatalScenario({assets.dir(), "framebuffer-twice"});
    EXPECT_EQ(twice.out, "FATAL ERROR: Framebuffer: already inited\n");
    EXPECT_EQ(twice.exitStatus, 255);

    ChildResult empty = runFatalScenario({assets.dir(), "framebuffer-size", "0", "0", "1"});
    EXPECT_EQ(empty.out,
              "FATAL ERROR: Framebuffer: creation failed, status code 36054. Called with w=0 "
              "h=0 cat=2[0]  dat=1[0] ms=0\n");
    EXPECT_EQ(empty.exitStatus, 255);

    ChildResult fine = runFatalScenario({assets.dir(), "framebuffer-size", "3", "2", "1"});
    EXPECT_EQ(fine.out, "survived\n");
}
