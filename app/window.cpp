#include "app/window.h"

#include <sys/stat.h>

#include <imgui.h>
#include <imgui_impl_glfw.h>
#include <imgui_impl_opengl3.h>
#include <iostream>

#include "platform/fatal.h"
#include "render/gl_debug.h"
#include "render/renderer.h"
#include "render/shader_program.h"

GLFWwindow* window = nullptr;
bool showGui = true;
bool developerControls = false;
bool multisampling = false;
bool framebufferResized = false;
bool guiWantsMouse = false;
bool guiWantsKeyboard = false;
float scrollAccum = 0.0f;
bool showDemoWindow = false;

void probeAssetsDirectory() {
    for (const char* candidate : {"assets", "../assets", "../../assets", "../../../assets"}) {
        assetsDir = candidate;
        struct stat info;
        if (stat(assetsDir.c_str(), &info) == 0) return;
    }
    fatalError("Cannot locate assets directory!");
}

void initWindow() {
    if (!glfwInit()) fatalError("Failed to init GLFW");
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_TRUE);
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    glfwWindowHint(GLFW_SAMPLES, 4);
    window = glfwCreateWindow(1024, 768, "Morvik", nullptr, nullptr);
    if (!window) fatalError("Failed to create the window: an OpenGL 4.3 core context is needed");
    glfwGetFramebufferSize(window, &fbWidth, &fbHeight);
    glfwMakeContextCurrent(window);

    // Installed before the GUI back-end, which chains to them.
    glfwSetKeyCallback(window, keyCallback);
    glfwSetScrollCallback(window, scrollCallback);
    glfwSetFramebufferSizeCallback(window, framebufferSizeCallback);

    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) fatalError("Failed to init GLEW");

    glDebugMessageCallback(glDebugOutputCallback, nullptr);
    // The renderer's own debug groups would otherwise print on every pass.
    glDebugMessageControl(GL_DEBUG_SOURCE_APPLICATION, GL_DEBUG_TYPE_PUSH_GROUP,
                          GL_DEBUG_SEVERITY_NOTIFICATION, 0, nullptr, GL_FALSE);
    glDebugMessageControl(GL_DEBUG_SOURCE_APPLICATION, GL_DEBUG_TYPE_POP_GROUP,
                          GL_DEBUG_SEVERITY_NOTIFICATION, 0, nullptr, GL_FALSE);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);

    ImGui::CreateContext();
    ImGui::StyleColorsDark();
    ImGui_ImplGlfw_InitForOpenGL(window, true);
    ImGui_ImplOpenGL3_Init("#version 430 core");
}

void keyCallback(GLFWwindow* w, int key, int /*scancode*/, int action, int /*mods*/) {
    bool functionKey = key >= GLFW_KEY_F1 && key <= GLFW_KEY_F12;
    if (guiWantsKeyboard && !functionKey) return;
    if (action != GLFW_PRESS) return;
    switch (key) {
        case GLFW_KEY_F1:
        case GLFW_KEY_G:
            showGui = !showGui;
            break;
        case GLFW_KEY_F2:
            developerControls = !developerControls;
            break;
        case GLFW_KEY_M:
            multisampling = !multisampling;
            if (multisampling)
                glEnable(GL_MULTISAMPLE);
            else
                glDisable(GL_MULTISAMPLE);
            std::cout << "Multisampling " << (multisampling ? "on" : "off") << std::endl;
            break;
        case GLFW_KEY_ESCAPE:
            glfwSetWindowShouldClose(w, GLFW_TRUE);
            break;
        default:
            break;
    }
}

void scrollCallback(GLFWwindow* /*window*/, double /*xoffset*/, double yoffset) {
    if (!guiWantsMouse) scrollAccum += (float)yoffset;
}

void framebufferSizeCallback(GLFWwindow* /*window*/, int width, int height) {
    if (width > 0 && height > 0) framebufferResized = true;
}
