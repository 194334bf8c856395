#include "frame_fixture.h"

#include <glm/gtc/matrix_transform.hpp>

#include "app/frame_loop.h"
#include "render/shader_program.h"

namespace {

// Every render parameter a test changes back to its default.
void restoreDefaults() {
    static const Renderer fresh;
    renderer.dirLight = fresh.dirLight;
    renderer.sphereSize = fresh.sphereSize;
    renderer.centerOnLoad = fresh.centerOnLoad;
    renderer.normalizeOnLoad = fresh.normalizeOnLoad;
    renderer.renderEndpoints = fresh.renderEndpoints;
    renderer.renderRootpoint = fresh.renderRootpoint;
    renderer.depthAwareJFA = fresh.depthAwareJFA;
    renderer.addContours = fresh.addContours;
    renderer.contourWidth = fresh.contourWidth;
    renderer.useBlinnPhong = fresh.useBlinnPhong;
    renderer.isolines = fresh.isolines;
    renderer.scalar_field = fresh.scalar_field;
    renderer.debug_float = fresh.debug_float;
}

// The caller's framebuffer, large enough for every size a test draws at.
GLuint makeCallerFramebuffer(int w, int h) {
    GLuint fbo = 0, color = 0, depth = 0;
    glGenRenderbuffers(1, &color);
    glBindRenderbuffer(GL_RENDERBUFFER, color);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA32F, w, h);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, w, h);
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    return fbo;
}

}  // namespace

void FrameTest::SetUp() {
    if (!testGLWindow()) GTEST_SKIP() << "no OpenGL display";
    if (!renderer.inited) {
        assetsDir = sourceAssetsDir();
        createShaderPrograms();
        fbWidth = width;
        fbHeight = height;
        renderer.init();
    }
    restoreDefaults();
    renderer.clearMesh();
    renderer.paramU.resize(0);
    renderer.maxU = 0.0;
    static const GLuint fbo = makeCallerFramebuffer(1025, 768);
    callerFbo = fbo;
    glEnable(GL_CULL_FACE);
    setSize(200, 200);
    view = glm::lookAt(glm::vec3(0, 0, 10), glm::vec3(0, 0, 0), glm::vec3(0, 1, 0));
    projection = glm::ortho(-2.0f, 2.0f, -2.0f, 2.0f, 1.0f, 20.0f);
}

void FrameTest::setSize(int w, int h) {
    width = renderer.width = w;
    height = renderer.height = h;
    renderer.createFramebuffers();
}

void FrameTest::load(const std::string& path) {
    testing::internal::CaptureStdout();
    const bool ok = renderer.loadMeshFile(path);
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(ok) << path;
}

void FrameTest::setUAlongX() {
    renderer.paramU = (renderer.V.col(0).array() + 1.5).matrix();
    renderer.hasU = true;
    renderer.maxU = renderer.paramU.maxCoeff();
    glBindBuffer(GL_ARRAY_BUFFER, renderer.paramVbo);
    renderer.uploadParameters();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void FrameTest::drawFrame() {
    glBindFramebuffer(GL_FRAMEBUFFER, callerFbo);
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    renderer.draw(view, projection, ortho);
    glFinish();
}

Rgba FrameTest::pixelAt(double x, double y) {
    return readPixel(static_cast<int>(std::floor((x + 2.0) / 4.0 * width)),
                     static_cast<int>(std::floor((y + 2.0) / 4.0 * height)));
}
