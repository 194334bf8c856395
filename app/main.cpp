// The morvik viewer: finds the assets, opens the window, loads the mesh named
// on the command line (or the example tree) and runs until the window closes.

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <string>

#include "app/camera.h"
#include "app/frame_loop.h"
#include "app/load_mesh.h"
#include "app/window.h"
#include "platform/console.h"
#include "render/renderer.h"
#include "render/shader_program.h"

int main(int argc, char** argv) {
    flushConsoleLines();
    probeAssetsDirectory();
    initWindow();
    createShaderPrograms();
    setupCamera(camera, fbWidth, fbHeight);
    renderer.init();
    std::string meshPath =
        argc >= 2 ? std::string(argv[1]) : assetsDir + "/example_meshes/vesselTree4.off";
    loadMesh(meshPath);
    setFixedGLState();
    while (!glfwWindowShouldClose(window)) runFrame();
    shutDown();
    return 0;
}
