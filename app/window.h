#pragma once
// The window, its OpenGL context and GUI set-up, the three window-system
// callbacks, and the shell's global state that they and the frame loop share.
// fbWidth and fbHeight are declared with the Renderer, which reads them.

#include <GL/glew.h>
#include <GLFW/glfw3.h>

extern GLFWwindow* window;
extern bool showGui;
extern bool developerControls;
extern bool multisampling;
extern bool framebufferResized;
extern bool guiWantsMouse;
extern bool guiWantsKeyboard;
extern float scrollAccum;
extern bool showDemoWindow;

// Sets assetsDir to the first of "assets", "../assets", "../../assets",
// "../../../assets" that exists (a plain file counts); fatal when none does.
void probeAssetsDirectory();

// Window, context, callbacks, GL entry points, debug output and GUI back-ends.
void initWindow();

void keyCallback(GLFWwindow* window, int key, int scancode, int action, int mods);
void scrollCallback(GLFWwindow* window, double xoffset, double yoffset);
void framebufferSizeCallback(GLFWwindow* window, int width, int height);
