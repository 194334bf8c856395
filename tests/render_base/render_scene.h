#pragma once
// The frame tests' set-up: the shared GL context, the seven programs built
// once from the source tree's shaders and a caller's framebuffer (float
// colour) to draw into. Every test has a renderer of its own, fresh from its
// defaults, and an orthographic camera that looks down -z at the square
// (-2, 2) x (-2, 2): 50 pixels per unit at 200 by 200.
#include <gtest/gtest.h>
#include <unistd.h>

#include <Eigen/Core>
#include <cmath>
#include <fstream>
#include <glm/gtc/matrix_transform.hpp>
#include <sstream>

#include "app/frame_loop.h"
#include "gl_context.h"
#include "render/renderer.h"
#include "render/shader_program.h"

// A closed surface of revolution about x, moved by `offset`: a ring of
// `segments` vertices at each (x, radius) of the profile and a flat fan at
// either end, whose centres are the part's last two vertices.
struct Revolution {
    std::vector<std::pair<double, double>> profile;
    int segments;
    Eigen::Vector3d offset = Eigen::Vector3d::Zero();
};
inline Revolution unitSphere(int segments, int rings) {
    Revolution s{{}, segments};  // the flat caps lie within a hair of the poles
    for (int i = 1; i < rings; ++i)
        s.profile.emplace_back(-std::cos(M_PI * i / rings), std::sin(M_PI * i / rings));
    return s;
}
// A capped tube of radius r along x from `from` to `to`.
inline Revolution tube(double from, double to, double r, int segments, int slices,
                       const Eigen::Vector3d& offset = Eigen::Vector3d::Zero()) {
    Revolution t{{}, segments, offset};
    for (int i = 0; i <= slices; ++i) t.profile.emplace_back(from + (to - from) * i / slices, r);
    return t;
}

class FrameTest : public ::testing::Test {
  public:
    // The programs and the caller's framebuffer (large enough for every size
    // a test draws at) live as long as the suite, and go with it.
    static void SetUpTestSuite() {
        if (!testGLWindow()) return;
        assetsDir = sourceAssetsDir();
        createShaderPrograms();
        glCreateRenderbuffers(1, &callerColor);
        glNamedRenderbufferStorage(callerColor, GL_RGBA32F, 1025, 768);
        glCreateFramebuffers(1, &callerFbo);
        glNamedFramebufferRenderbuffer(callerFbo, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                       callerColor);
    }
    static void TearDownTestSuite() {
        if (!testGLWindow()) return;
        while (!shaderPrograms.empty()) delete shaderPrograms.back();
        glDeleteFramebuffers(1, &callerFbo);
        glDeleteRenderbuffers(1, &callerColor);
        callerFbo = callerColor = 0;
    }
    void SetUp() override {
        if (!testGLWindow()) GTEST_SKIP() << "no OpenGL display";
        fbWidth = fbHeight = 200;
        r.init();
        glEnable(GL_CULL_FACE);
    }
    void TearDown() override {
        if (r.inited) r.destroy();
    }
    void setSize(int w, int h) {
        width = r.width = w;
        height = r.height = h;
        r.createFramebuffers();
    }
    // Loads a mesh file, expecting it to succeed or fail; returns what it printed.
    std::string load(const std::string& path, bool expectOk = true) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(r.loadMeshFile(path), expectOk) << path;
        return testing::internal::GetCapturedStdout();
    }
    // One frame into the caller's framebuffer, which stays bound for reading.
    // No frame may raise a GL error (one without a mesh did, every frame).
    void drawFrame() {
        glBindFramebuffer(GL_FRAMEBUFFER, callerFbo);
        glViewport(0, 0, width, height);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        while (glGetError() != GL_NO_ERROR) {
        }
        r.draw(view, projection, ortho);
        glFinish();
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "a frame raised a GL error";
    }
    // Loads closed surfaces of revolution as one OFF file, written to a
    // temporary file for the purpose.
    void loadParts(const std::vector<Revolution>& parts) {
        std::ostringstream v, f;
        v.precision(17);
        int vertices = 0, faces = 0;
        for (const Revolution& p : parts) {
            const int rings = int(p.profile.size()), n = p.segments, capA = vertices + rings * n;
            auto point = [&](double x, double r, double phi) {
                v << (Eigen::Vector3d(x, r * std::cos(phi), r * std::sin(phi)) + p.offset)
                         .transpose()
                  << "\n";
            };
            for (auto [x, r] : p.profile)
                for (int s = 0; s < n; ++s) point(x, r, 2 * M_PI * s / n);
            point(p.profile.front().first, 0, 0);
            point(p.profile.back().first, 0, 0);
            auto face = [&](int a, int b, int c) {
                f << "3 " << a << " " << b << " " << c << "\n";
            };
            auto at = [&](int i, int s) { return vertices + i * n + s % n; };
            for (int s = 0; s < n; ++s) {
                for (int i = 0; i + 1 < rings; ++i) {
                    face(at(i, s), at(i, s + 1), at(i + 1, s + 1));
                    face(at(i, s), at(i + 1, s + 1), at(i + 1, s));
                }
                face(capA, at(0, s + 1), at(0, s));
                face(capA + 1, at(rings - 1, s), at(rings - 1, s + 1));
            }
            vertices = capA + 2;
            faces += 2 * n * rings;
        }
        const std::string path =
            testing::TempDir() + "morvik_frame_" + std::to_string(getpid()) + ".off";
        std::ofstream(path) << "OFF\n" << vertices << " " << faces << " 0\n" << v.str() << f.str();
        load(path);
        std::remove(path.c_str());
    }
    // The pixel at a world point of the z = 0 plane (orthographic camera).
    Rgba pixelAt(double x, double y) {
        return readPixel(int(std::floor((x + 2) / 4 * width)),
                         int(std::floor((y + 2) / 4 * height)));
    }

    Renderer r;
    glm::mat4 view = glm::lookAt(glm::vec3(0, 0, 10), glm::vec3(0), glm::vec3(0, 1, 0));
    glm::mat4 projection = glm::ortho(-2.0f, 2.0f, -2.0f, 2.0f, 1.0f, 20.0f);
    bool ortho = true;
    int width = 200, height = 200;
    static inline GLuint callerFbo = 0, callerColor = 0;
};

// Whether a pixel shows the colour (r, g, b), within tol in every channel.
inline bool shows(const Rgba& p, float r, float g, float b, float tol = 1e-3f) {
    return std::abs(p.r - r) <= tol && std::abs(p.g - g) <= tol && std::abs(p.b - b) <= tol;
}

inline const std::string dataDir = MORVIK_SOURCE_DIR "/tests/render_frame/data/";
