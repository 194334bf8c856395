#pragma once
// The render suites' GL scene: a scratch copy of the assets (tests write
// faulty files there), the seven programs per suite, a caller's float
// framebuffer, and per test a fresh renderer at 200 by 200 with an
// orthographic camera down -z on the square (-2, 2)^2: 50 pixels per unit.
#include <gtest/gtest.h>
#include <unistd.h>

#include <Eigen/Core>
#include <array>
#include <filesystem>
#include <glm/gtc/matrix_transform.hpp>
#include <sstream>

#include "app/frame_loop.h"
#include "gl_context.h"
#include "render/framebuffer.h"
#include "render/renderer.h"
#include "render/shader_program.h"
#include "scratch_dir.h"

inline const std::string& testAssetsDir() {
    static const struct Copy : ScratchDir {
        Copy() : ScratchDir("morvik-render") {
            for (const char* folder : {"/shaders", "/models", "/textures"})
                std::filesystem::copy(sourceAssetsDir() + folder, path + folder);
        }
    } copy;
    return copy.path;
}
inline void writeShader(const std::string& name, const std::string& text) {
    writeFile(testAssetsDir() + "/shaders/" + name, text);
}
// Live textures, buffers, vertex arrays, framebuffers, renderbuffers: GL hands
// out small names, so counting finds leaks and stray deletes.
using LiveObjects = std::array<int, 5>;
inline LiveObjects countLiveObjects() {
    LiveObjects live{};
    for (GLuint name = 1; name < 4096; ++name) {
        int k = 0;
        for (auto is :
             {glIsTexture, glIsBuffer, glIsVertexArray, glIsFramebuffer, glIsRenderbuffer})
            live[k++] += is(name);
    }
    return live;
}

// A surface of revolution about x, moved by `offset`: a ring of 64 vertices at
// each (x, radius) of the profile; capped at either end (as a CFD surface, by
// a ring of radius 0 that the duplicate merge makes a fan) unless `open`.
struct Part {
    std::vector<std::pair<double, double>> profile;
    Eigen::Vector3d offset = Eigen::Vector3d::Zero();
    bool open = false;
};
inline Part unitSphere() {
    Part s;  // the flat caps lie within a hair of the poles
    for (int i = 1; i < 48; ++i) s.profile.emplace_back(-cos(M_PI * i / 48), sin(M_PI * i / 48));
    return s;
}
inline Part tube(double from, double to, double r, Eigen::Vector3d offset = {0, 0, 0},
                 bool open = false) {
    Part t{{}, offset, open};
    for (int i = 0; i <= 24; ++i) t.profile.emplace_back(from + (to - from) * i / 24, r);
    return t;
}

class RenderScene : public ::testing::Test {
  public:
    static void SetUpTestSuite() {
        if (!testGLWindow()) return;
        assetsDir = testAssetsDir();
        createShaderPrograms();
        glCreateRenderbuffers(1, &callerColor);
        glNamedRenderbufferStorage(callerColor, GL_RGBA32F, 200, 200);
        glCreateFramebuffers(1, &callerFbo);
        glNamedFramebufferRenderbuffer(callerFbo, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                       callerColor);
    }
    static void TearDownTestSuite() {  // clean under LeakSanitizer
        if (!testGLWindow()) return;
        while (!shaderPrograms.empty()) delete shaderPrograms.back();
        glDeleteFramebuffers(1, &callerFbo);
        glDeleteRenderbuffers(1, &callerColor);
    }
    void SetUp() override {
        if (!testGLWindow()) GTEST_SKIP() << "no OpenGL display";
        baseline = countLiveObjects();
        fbWidth = fbHeight = 200;
        r.init();
        glEnable(GL_CULL_FACE);
    }
    void TearDown() override {
        if (testGLWindow()) r.destroy();
    }
    void setSize(int w, int h) {
        width = r.width = w;
        height = r.height = h;
        r.createFramebuffers();
    }
    std::string load(const std::string& path, bool expectOk = true) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(r.loadMeshFile(path), expectOk) << path;
        return testing::internal::GetCapturedStdout();
    }
    // One frame into the caller's framebuffer (bound after for reading), with no GL error.
    void drawFrame() {
        glBindFramebuffer(GL_FRAMEBUFFER, callerFbo);
        glViewport(0, 0, width, height);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        while (glGetError() != GL_NO_ERROR) continue;
        r.draw(view, projection, ortho);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "a frame raised a GL error";
    }
    void loadParts(const std::vector<Part>& parts) {
        std::ostringstream v, f;
        v.precision(17);
        int vertices = 0, faces = 0;
        for (Part p : parts) {
            if (!p.open) p.profile.insert(p.profile.begin(), {p.profile.front().first, 0.0});
            if (!p.open) p.profile.emplace_back(p.profile.back().first, 0.0);
            const int rings = int(p.profile.size()), first = vertices;
            auto at = [&](int i, int s) { return " " + std::to_string(first + i * 64 + s % 64); };
            for (auto [x, radius] : p.profile)
                for (int s = 0; s < 64; ++s)
                    v << (p.offset + Eigen::Vector3d(x, radius * cos(M_PI * s / 32),
                                                     radius * sin(M_PI * s / 32)))
                             .transpose()
                      << "\n";
            for (int s = 0; s < 64; ++s)
                for (int i = 0; i + 1 < rings; ++i)
                    f << "3" << at(i, s) << at(i, s + 1) << at(i + 1, s + 1) << "\n3" << at(i, s)
                      << at(i + 1, s + 1) << at(i + 1, s) << "\n";
            vertices += rings * 64;
            faces += 128 * (rings - 1);
        }
        const std::string path = testing::TempDir() + "morvik_" + std::to_string(getpid()) + ".off";
        writeFile(path, "OFF\n" + std::to_string(vertices) + " " + std::to_string(faces) + " 0\n" +
                            v.str() + f.str());
        load(path);
        std::remove(path.c_str());
    }

    Renderer r;
    LiveObjects baseline{};  // before the renderer's init
    glm::mat4 view = glm::lookAt(glm::vec3(0, 0, 10), glm::vec3(0), glm::vec3(0, 1, 0));
    glm::mat4 projection = glm::ortho(-2.0f, 2.0f, -2.0f, 2.0f, 1.0f, 20.0f);
    bool ortho = true;
    int width = 200, height = 200;
    static inline GLuint callerFbo = 0, callerColor = 0;
};

inline bool shows(const Rgba& p, float r, float g, float b, float tol = 1e-3f) {
    return std::abs(p.r - r) <= tol && std::abs(p.g - g) <= tol && std::abs(p.b - b) <= tol;
}
