#pragma once
// The frame tests' set-up: the shared GL context, the seven programs built
// once from the source tree's shaders, the global renderer initialised, and a
// caller's framebuffer (float colour and depth) to draw into. Every test
// starts from the parameter defaults and an orthographic camera that looks
// down -z at the square (-2, 2) x (-2, 2): 50 pixels per unit at 200 by 200.

#include <gtest/gtest.h>

#include <Eigen/Core>
#include <glm/glm.hpp>
#include <string>

#include "gl_context.h"
#include "render/renderer.h"

class FrameTest : public ::testing::Test {
  public:
    void SetUp() override;

    // Resizes the renderer's targets.
    void setSize(int width, int height);
    // Loads a mesh file quietly; fails the test when the load fails.
    void load(const std::string& path);
    // Gives the loaded mesh U = x + 1.5 and uploads it.
    void setUAlongX();
    // One frame into the caller's framebuffer, which stays bound for reading.
    void drawFrame();
    // The pixel at a world point of the z = 0 plane (orthographic camera).
    Rgba pixelAt(double x, double y);

    glm::mat4 view;
    glm::mat4 projection;
    bool ortho = true;
    int width = 200;
    int height = 200;
    GLuint callerFbo = 0;
};

inline bool isContourColored(const Rgba& p) {
    return p.r < 0.05f && p.g < 0.05f && p.b < 0.05f;
}

// Closed meshes written as OFF files to a temporary folder, and the suite's
// small data files.
struct TestMesh {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
};

// The unit sphere about the origin.
TestMesh unitSphere(int segments, int rings);
// A capped tube of radius r from `from` to `to` along axis 0, 1 or 2 (x, y,
// z), moved by offset. The cap centres are the last two vertices (from, to).
TestMesh tube(int axis, double from, double to, double r, const Eigen::Vector3d& offset,
              int segments, int slices);
TestMesh combine(const TestMesh& a, const TestMesh& b);

// Writes the mesh as OFF under the temporary folder; returns the path.
std::string writeOff(const std::string& name, const TestMesh& mesh);
std::string dataFile(const std::string& name);
