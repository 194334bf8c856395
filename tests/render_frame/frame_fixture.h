#pragma once
// The frame tests' set-up: the shared GL context, the seven programs built
// once from the source tree's shaders, the global renderer initialised, and a
// caller's framebuffer (float colour and depth) to draw into. Every test
// starts from the parameter defaults and an orthographic camera that looks
// down -z at the square (-2, 2) x (-2, 2): 50 pixels per unit at 200 by 200.

#include <gtest/gtest.h>

#include <glm/glm.hpp>
#include <string>

#include "gl_context.h"
#include "render/renderer.h"

class FrameTest : public ::testing::Test {
  public:
    void SetUp() override;
    void TearDown() override;

    // Resizes the renderer's targets and the caller's framebuffer.
    void setSize(int width, int height);
    // Loads a mesh file into the renderer (stdout swallowed); fails the test
    // when the load fails.
    void load(const std::string& path);
    // Gives the loaded mesh a U field (one value per vertex) and uploads it.
    void setU(const Eigen::VectorXd& u);
    // One frame into the caller's framebuffer, which stays bound for reading.
    void drawFrame();
    // The pixel at a world point of the z = 0 plane (orthographic camera).
    Rgba pixelAt(double x, double y);
    Rgba pixel(int px, int py);

    glm::mat4 view;
    glm::mat4 projection;
    bool ortho = true;
    int width = 200;
    int height = 200;
    GLuint callerFbo = 0;
    GLuint callerColor = 0;
    GLuint callerDepth = 0;
};

// Reads a whole RGBA float texture.
std::vector<float> readTexture(GLuint texture, int width, int height);

bool isContourColored(const Rgba& p);
