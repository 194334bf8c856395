#pragma once
// The frame tests' set-up: the shared GL context, the seven programs built
// once from the source tree's shaders and a caller's framebuffer (float
// colour) to draw into. Every test has a renderer of its own, fresh from its
// defaults, and an orthographic camera that looks down -z at the square
// (-2, 2) x (-2, 2): 50 pixels per unit at 200 by 200.

#include <gtest/gtest.h>

#include <Eigen/Core>
#include <cmath>
#include <glm/glm.hpp>
#include <string>
#include <vector>

#include "gl_context.h"
#include "render/renderer.h"

class FrameTest : public ::testing::Test {
  public:
    void SetUp() override;
    void TearDown() override;

    // Resizes the renderer's targets.
    void setSize(int width, int height);
    // Loads a mesh file, expecting it to succeed or fail; returns what it printed.
    std::string load(const std::string& path, bool expectOk = true);
    // One frame into the caller's framebuffer, which stays bound for reading.
    void drawFrame();
    // The pixel at a world point of the z = 0 plane (orthographic camera).
    Rgba pixelAt(double x, double y);

    Renderer r;
    glm::mat4 view, projection;
    bool ortho = true;
    int width = 200, height = 200;
    GLuint callerFbo = 0;
};

// Whether a pixel shows the colour (r, g, b), within tol in every channel.
inline bool shows(const Rgba& p, float r, float g, float b, float tol = 1e-3f) {
    return std::abs(p.r - r) <= tol && std::abs(p.g - g) <= tol && std::abs(p.b - b) <= tol;
}

// Closed meshes written as OFF files to a temporary folder, and the folder of
// the suite's small data files.
struct TestMesh {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
};

// The unit sphere about the origin.
TestMesh unitSphere(int segments, int rings);
// A capped tube of radius r along x from `from` to `to`, moved by offset.
// The cap centres are the last two vertices (from, to).
TestMesh tube(double from, double to, double r, int segments, int slices,
              const Eigen::Vector3d& offset = Eigen::Vector3d::Zero());

// Writes the meshes as one OFF file under the temporary folder; returns the path.
std::string writeOff(const std::string& name, const std::vector<TestMesh>& parts);

inline const std::string dataDir = MORVIK_SOURCE_DIR "/tests/render_frame/data/";
