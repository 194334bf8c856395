#include "frame_fixture.h"

#include <glm/gtc/matrix_transform.hpp>

#include "app/frame_loop.h"
#include "render/shader_program.h"

namespace {

void buildProgramsOnce() {
    static bool built = false;
    if (built) return;
    built = true;
    assetsDir = sourceAssetsDir();
    createShaderPrograms();  // the program's own list of the seven programs
}

// Every render parameter back to its default, from a freshly built record.
void restoreDefaults() {
    Renderer fresh;
    renderer.dirLight = fresh.dirLight;
    renderer.ambientLight = fresh.ambientLight;
    renderer.material = fresh.material;
    renderer.sphereSize = fresh.sphereSize;
    renderer.centerOnLoad = fresh.centerOnLoad;
    renderer.normalizeOnLoad = fresh.normalizeOnLoad;
    renderer.renderEndpoints = fresh.renderEndpoints;
    renderer.renderRootpoint = fresh.renderRootpoint;
    renderer.depthAwareJFA = fresh.depthAwareJFA;
    renderer.addContours = fresh.addContours;
    renderer.contourWidth = fresh.contourWidth;
    std::copy(fresh.polyOffset, fresh.polyOffset + 2, renderer.polyOffset);
    std::copy(fresh.colorBackground, fresh.colorBackground + 3, renderer.colorBackground);
    std::copy(fresh.colorContour, fresh.colorContour + 3, renderer.colorContour);
    std::copy(fresh.colorMesh, fresh.colorMesh + 3, renderer.colorMesh);
    std::copy(fresh.colorMeshPlain, fresh.colorMeshPlain + 3, renderer.colorMeshPlain);
    renderer.useBlinnPhong = fresh.useBlinnPhong;
    renderer.hatching = fresh.hatching;
    renderer.isolines = fresh.isolines;
    renderer.decals = fresh.decals;
    renderer.scalar_field = fresh.scalar_field;
    renderer.time = fresh.time;
    renderer.debug_float = fresh.debug_float;
    renderer.maxU = 0.0;
}

}  // namespace

void FrameTest::SetUp() {
    if (!testGLWindow()) GTEST_SKIP() << "no OpenGL display";
    buildProgramsOnce();
    if (!renderer.inited) {
        fbWidth = width;
        fbHeight = height;
        renderer.init();
    }
    restoreDefaults();
    renderer.clearMesh();
    renderer.paramU.resize(0);
    glEnable(GL_CULL_FACE);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    setSize(200, 200);
    view = glm::lookAt(glm::vec3(0, 0, 10), glm::vec3(0, 0, 0), glm::vec3(0, 1, 0));
    projection = glm::ortho(-2.0f, 2.0f, -2.0f, 2.0f, 1.0f, 20.0f);
}

void FrameTest::TearDown() {
    if (callerFbo == 0) return;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &callerFbo);
    glDeleteTextures(1, &callerColor);
    glDeleteRenderbuffers(1, &callerDepth);
}

void FrameTest::setSize(int w, int h) {
    width = w;
    height = h;
    if (renderer.width != w || renderer.height != h) {
        renderer.width = w;
        renderer.height = h;
        renderer.createFramebuffers();
    }
    if (callerFbo != 0) TearDown();
    glGenTextures(1, &callerColor);
    glBindTexture(GL_TEXTURE_2D, callerColor);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, w, h, 0, GL_RGBA, GL_FLOAT, nullptr);
    glGenRenderbuffers(1, &callerDepth);
    glBindRenderbuffer(GL_RENDERBUFFER, callerDepth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, w, h);
    glGenFramebuffers(1, &callerFbo);
    glBindFramebuffer(GL_FRAMEBUFFER, callerFbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, callerColor, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, callerDepth);
    ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    glViewport(0, 0, w, h);
}

void FrameTest::load(const std::string& path) {
    testing::internal::CaptureStdout();
    bool ok = renderer.loadMeshFile(path);
    fflush(stdout);
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(ok) << path;
}

void FrameTest::setU(const Eigen::VectorXd& u) {
    renderer.paramU = u;
    renderer.hasU = true;
    renderer.maxU = u.maxCoeff();
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

Rgba FrameTest::pixel(int px, int py) {
    return readPixel(px, py);
}

Rgba FrameTest::pixelAt(double x, double y) {
    const int px = static_cast<int>(std::floor((x + 2.0) / 4.0 * width));
    const int py = static_cast<int>(std::floor((y + 2.0) / 4.0 * height));
    return readPixel(px, py);
}

std::vector<float> readTexture(GLuint texture, int width, int height) {
    std::vector<float> data(static_cast<size_t>(width) * height * 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, data.data());
    return data;
}

bool isContourColored(const Rgba& p) {
    return p.r < 0.05f && p.g < 0.05f && p.b < 0.05f;
}
