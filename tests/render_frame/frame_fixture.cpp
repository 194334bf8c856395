#include "frame_fixture.h"

#include <glm/gtc/matrix_transform.hpp>

#include "app/frame_loop.h"
#include "render/shader_program.h"

namespace {

// The caller's framebuffer, large enough for every size a test draws at. The
// frame draws into its own targets, so the caller's needs no depth.
GLuint makeCallerFramebuffer(int w, int h) {
    GLuint fbo = 0, color = 0;
    glGenRenderbuffers(1, &color);
    glBindRenderbuffer(GL_RENDERBUFFER, color);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA32F, w, h);
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
    return fbo;
}

}  // namespace

void FrameTest::SetUp() {
    if (!testGLWindow()) GTEST_SKIP() << "no OpenGL display";
    static const GLuint fbo = [] {
        assetsDir = sourceAssetsDir();
        createShaderPrograms();
        return makeCallerFramebuffer(1025, 768);
    }();
    callerFbo = fbo;
    fbWidth = width;
    fbHeight = height;
    r.init();
    glEnable(GL_CULL_FACE);
    view = glm::lookAt(glm::vec3(0, 0, 10), glm::vec3(0, 0, 0), glm::vec3(0, 1, 0));
    projection = glm::ortho(-2.0f, 2.0f, -2.0f, 2.0f, 1.0f, 20.0f);
}

void FrameTest::TearDown() {
    if (r.inited) r.destroy();
}

void FrameTest::setSize(int w, int h) {
    width = r.width = w;
    height = r.height = h;
    r.createFramebuffers();
}

std::string FrameTest::load(const std::string& path, bool expectOk) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(r.loadMeshFile(path), expectOk) << path;
    return testing::internal::GetCapturedStdout();
}

void FrameTest::drawFrame() {
    glBindFramebuffer(GL_FRAMEBUFFER, callerFbo);
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    r.draw(view, projection, ortho);
    glFinish();
}

Rgba FrameTest::pixelAt(double x, double y) {
    return readPixel(static_cast<int>(std::floor((x + 2.0) / 4.0 * width)),
                     static_cast<int>(std::floor((y + 2.0) / 4.0 * height)));
}
