#pragma once
// One hidden window with an OpenGL 4.3 core debug context for GL tests,
// created once per process and kept until exit. Tests run under Xvfb
// (Mesa's llvmpipe); without a display the GL tests skip themselves.

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <string>

// Makes the shared context current (creating it on first use) and returns
// its window, or null when no context can be had (no display).
GLFWwindow* testGLWindow();

// The source tree's assets directory.
std::string sourceAssetsDir();

// Reads back the RGBA float pixels of a region of the bound read framebuffer.
struct Rgba {
    float r, g, b, a;
};
Rgba readPixel(int x, int y);

#define REQUIRE_GL()                                              \
    do {                                                          \
        if (!testGLWindow()) GTEST_SKIP() << "no OpenGL display"; \
    } while (0)
