// Frames per second of the whole frame draw at 1024 by 768 with the example
// tree and every effect on, against the G-buffer pass alone. Runs in its own
// hidden window; the numbers go to standard output.
//
//   bench_frame [--frames N] [--mesh path] [--save image.png] [--effects list] [--zoom f]
//
// --save writes one whole frame as a PNG (for looking at the image), with the
// effects of the comma-separated list on (scalar, isolines, hatching, decals,
// spheres, linecontour, vdebug, depthblind, oncontour); the default list is every effect.
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <stb_image_write.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/frame_loop.h"
#include "app/load_mesh.h"
#include "render/draw_passes.h"
#include "render/renderer.h"
#include "render/shader_program.h"

namespace {

const int benchWidth = 1024;
const int benchHeight = 768;

void setEffects(const std::string& list) {
    auto has = [&](const char* name) { return list.find(name) != std::string::npos; };
    renderer.scalar_field.enabled = has("scalar");
    renderer.isolines.enabled[0] = renderer.isolines.enabled[1] = has("isolines");
    renderer.hatching.enabled = has("hatching");
    renderer.decals.enabled = has("decals");
    renderer.renderEndpoints = renderer.renderRootpoint = has("spheres");
    renderer.addContours = !has("linecontour");
    renderer.debug_float = has("vdebug") ? 1.0f : 0.0f;
    renderer.depthAwareJFA = !has("depthblind");
    renderer.scalar_field.onContour = renderer.decals.onContour = has("oncontour");
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           1e-6 * (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

// Frames per second, and the processor time per frame over every thread: a
// software rasteriser on a shared machine is better judged by the second.
void measure(const char* label, int frames, void (*drawOnce)(const glm::mat4&, const glm::mat4&)) {
    const glm::mat4 view = viewMatrix(camera);
    const glm::mat4 projection = perspectiveMatrix(camera);
    drawOnce(view, projection);  // warm-up: shader and driver caches
    glFinish();
    const double cpuStart = cpuSeconds();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) {
        renderer.time = 0.01f * i;
        drawOnce(view, projection);
    }
    glFinish();
    std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    printf("%-28s %7.1f frames per second, %7.1f ms processor time per frame\n", label,
           frames / seconds.count(), 1000.0 * (cpuSeconds() - cpuStart) / frames);
}

void drawWhole(const glm::mat4& view, const glm::mat4& projection) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    renderer.draw(view, projection, false);
}

void drawGBufferOnly(const glm::mat4& view, const glm::mat4& projection) {
    drawGBuffer(renderer, view, projection, false);
}

void drawGBufferAndFlood(const glm::mat4& view, const glm::mat4& projection) {
    drawGBuffer(renderer, view, projection, false);
    drawJumpFlood(renderer);
}

void saveFrame(const std::string& path) {
    drawWhole(viewMatrix(camera), perspectiveMatrix(camera));
    std::vector<unsigned char> pixels(benchWidth * benchHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, benchWidth, benchHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    stbi_flip_vertically_on_write(1);
    stbi_write_png(path.c_str(), benchWidth, benchHeight, 3, pixels.data(), benchWidth * 3);
    printf("Saved %s\n", path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 100;
    float zoom = 1.0f;
    std::string mesh, save, effects = "scalar,isolines,hatching,decals,spheres";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!strcmp(argv[i], "--frames")) frames = std::stoi(argv[i + 1]);
        if (!strcmp(argv[i], "--mesh")) mesh = argv[i + 1];
        if (!strcmp(argv[i], "--save")) save = argv[i + 1];
        if (!strcmp(argv[i], "--effects")) effects = argv[i + 1];
        if (!strcmp(argv[i], "--zoom")) zoom = std::stof(argv[i + 1]);
    }

    if (!glfwInit()) return 1;
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(benchWidth, benchHeight, "bench_frame", nullptr, nullptr);
    if (!window) return 1;
    glfwMakeContextCurrent(window);
    glfwSwapInterval(0);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) return 1;

    assetsDir = std::string(MORVIK_SOURCE_DIR) + "/assets";
    if (mesh.empty()) mesh = assetsDir + "/example_meshes/vesselTree4.off";
    fbWidth = benchWidth;
    fbHeight = benchHeight;
    createShaderPrograms();
    setupCamera(camera, fbWidth, fbHeight);
    renderer.init();
    loadMesh(mesh);
    setFixedGLState();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    setEffects(effects);
    camera.distance /= zoom;

    if (!save.empty()) {
        saveFrame(save);
    } else {
        measure("Whole frame, every effect:", frames, drawWhole);
        measure("G-buffer and jump flood:", frames, drawGBufferAndFlood);
        measure("G-buffer pass alone:", frames, drawGBufferOnly);
    }
    shutDown();
    return 0;
}
