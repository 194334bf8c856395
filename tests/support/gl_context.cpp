#include "gl_context.h"

#include <cstdlib>

namespace {

GLFWwindow* createWindow() {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) return nullptr;
    if (!glfwInit()) return nullptr;
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(256, 256, "morvik-test", nullptr, nullptr);
    if (!window) return nullptr;
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) return nullptr;
    glGetError();  // GLEW may leave GL_INVALID_ENUM behind on core profiles
    return window;
}

}  // namespace

GLFWwindow* testGLWindow() {
    static GLFWwindow* window = createWindow();
    if (window) glfwMakeContextCurrent(window);
    return window;
}

std::string sourceAssetsDir() {
    return std::string(MORVIK_SOURCE_DIR) + "/assets";
}

Rgba readPixel(int x, int y) {
    Rgba p{};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_FLOAT, &p);
    return p;
}
