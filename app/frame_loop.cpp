#include "app/frame_loop.h"

#include <imgui.h>
#include <imgui_impl_glfw.h>
#include <imgui_impl_opengl3.h>

#include <cmath>

#include "app/camera.h"
#include "app/panel.h"
#include "app/window.h"
#include "parameters/shell_settings.h"
#include "render/renderer.h"
#include "render/shader_program.h"

void createShaderPrograms() {
    new ShaderProgram("final", {"quad.vert", "final.frag"});
    new ShaderProgram("sphere", {"sphere.vert", "sphere.frag"});
    new ShaderProgram("contour", {"contour.vert", "contour.geom", "contour.frag"});
    new ShaderProgram("contour_line", {"contour.vert", "contour_line.geom", "contour.frag"});
    new ShaderProgram("jfa", {"quad.vert", "jfa.frag"});
    new ShaderProgram("debug", {"quad.vert", "debug.frag"});
    new ShaderProgram("render_tex", {"quad.vert", "quad.frag"});
}

void setFixedGLState() {
    glViewport(0, 0, fbWidth, fbHeight);
    glClearColor(0.17254902f, 0.0f, 0.11764706f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    // Off at start although the window has 4 samples; M switches it.
    if (multisampling)
        glEnable(GL_MULTISAMPLE);
    else
        glDisable(GL_MULTISAMPLE);
}

namespace {

void applyPendingResize() {
    if (!framebufferResized) return;
    framebufferResized = false;
    int width = 0, height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    // A minimised window reports 0 by 0: keep the last real size.
    if (width <= 0 || height <= 0) return;
    fbWidth = width;
    fbHeight = height;
    glViewport(0, 0, width, height);
    renderer.width = width;
    renderer.height = height;
    renderer.createFramebuffers();
    camera.aspect = (float)fbWidth / (float)fbHeight;
}

MouseInput queryMouse() {
    MouseInput in;
    glfwGetCursorPos(window, &in.cursorX, &in.cursorY);
    in.left = glfwGetMouseButton(window, GLFW_MOUSE_BUTTON_LEFT) == GLFW_PRESS;
    in.right = glfwGetMouseButton(window, GLFW_MOUSE_BUTTON_RIGHT) == GLFW_PRESS;
    in.middle = glfwGetMouseButton(window, GLFW_MOUSE_BUTTON_MIDDLE) == GLFW_PRESS;
    in.shift = glfwGetKey(window, GLFW_KEY_LEFT_SHIFT) == GLFW_PRESS ||
               glfwGetKey(window, GLFW_KEY_RIGHT_SHIFT) == GLFW_PRESS;
    return in;
}

}  // namespace

void drawScene() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glm::mat4 view = viewMatrix(camera);
    glm::mat4 projection =
        usePerspective ? perspectiveMatrix(camera)
                       : orthographicMatrix(camera, renderer.meshCenter, renderer.meshRadius);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_CULL_FACE);
    renderer.time = std::fmod((float)glfwGetTime(), 10.0f);
    renderer.draw(view, projection, !usePerspective);
}

void runFrame() {
    applyPendingResize();

    // Hiding the panel takes effect from the next frame: this one keeps its value.
    bool guiThisFrame = showGui;
    if (guiThisFrame) {
        ImGui_ImplOpenGL3_NewFrame();
        ImGui_ImplGlfw_NewFrame();
        ImGui::NewFrame();
        ImGuiIO& io = ImGui::GetIO();
        guiWantsMouse = io.WantCaptureMouse;
        guiWantsKeyboard = io.WantCaptureKeyboard || io.WantTextInput;
    } else {
        guiWantsMouse = false;
        guiWantsKeyboard = false;
    }

    drawScene();

    if (guiThisFrame) {
        drawPanel();
        ImGui::End();
        if (showDemoWindow) ImGui::ShowDemoWindow(&showDemoWindow);
        ImGui::Render();
        ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    }

    glfwSwapBuffers(window);
    glfwPollEvents();

    if (!guiWantsMouse)
        applyMouseControl(camera, queryMouse(), fbHeight, renderer.meshRadius, scrollAccum);
}

void shutDown() {
    renderer.destroy();
    while (!shaderPrograms.empty()) delete shaderPrograms.back();
    glfwTerminate();
}
