// Time of each pass of the frame draw at 1024 by 768 with the example tree,
// as a multiple of a plain full-screen copy pass (RGBA32F into RGBA32F, the
// size and format of the frame's own targets) timed in the same frames: on a
// shared machine only such ratios compare from run to run. Every pass is
// wrapped in glFinish; each figure is the median over the frames of the
// pass's time over that frame's copy time. Two views: the app's default
// framing (where the tree reaches past the top and bottom), and a close look
// at one vessel, zoomed in until the mesh covers about 90 % of the window.
// Runs in its own hidden window; the numbers go to standard output.
//
//   bench_frame [--frames N] [--mesh path] [--save image.png]
//
// --save writes one frame of each view with every effect on as a PNG (the
// close view's name ends in "-close.png") and exits.
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <stb_image_write.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/frame_loop.h"
#include "app/load_mesh.h"
#include "render/draw_passes.h"
#include "render/framebuffer.h"
#include "render/gl_state.h"
#include "render/renderer.h"
#include "render/shader_program.h"

namespace {

const int benchWidth = 1024;
const int benchHeight = 768;

void setEveryEffect(bool on) {
    renderer.scalar_field.enabled = on;
    renderer.isolines.enabled[0] = renderer.isolines.enabled[1] = on;
    renderer.hatching.enabled = on;
    renderer.decals.enabled = on;
    renderer.renderEndpoints = renderer.renderRootpoint = on;
}

glm::mat4 projection() {
    return orthographicMatrix(camera, renderer.meshCenter, renderer.meshRadius);
}

// Milliseconds of one call, with the queue drained before and after.
double timed(const std::function<void()>& pass) {
    glFinish();
    const auto start = std::chrono::steady_clock::now();
    pass();
    glFinish();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// The baseline: the composed image copied by the "render_tex" program into
// the spare target, which has the same size and format and which no pass uses.
void copyPass() {
    Framebuffer* target = renderer.spareFramebuffer;
    glBindFramebuffer(GL_FRAMEBUFFER, target->fbo);
    // Whatever the frame left on: a copy tests nothing and blends nothing.
    GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_DEPTH_TEST);
    glViewport(0, 0, target->width, target->height);
    ShaderProgram* p = renderer.programs[Renderer::RENDER_TEX];
    glUseProgram(p->programId);
    glUniform1i(p->uniformLocation("texFinal"), 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, renderer.finalFramebuffer->colorTextures[0]);
    drawFullScreen(renderer);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (depthTest) glEnable(GL_DEPTH_TEST);
}

void wholeFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    renderer.draw(viewMatrix(camera), projection(), true);
}

struct Row {
    std::string name;
    std::vector<double> ms, ratio;
};

// One frame pass by pass, as Renderer::draw runs them; each pass's time goes
// to its row, named on first use.
void framePassByPass(std::vector<Row>& rows, double copyMs) {
    size_t next = 0;
    auto record = [&](const std::string& name, const std::function<void()>& pass) {
        if (next == rows.size()) rows.push_back({name, {}, {}});
        const double ms = timed(pass);
        rows[next].ms.push_back(ms);
        rows[next++].ratio.push_back(ms / copyMs);
    };
    const glm::mat4 view = viewMatrix(camera), proj = projection();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    pushGLState();
    const MeshFootprint footprint = meshFootprint(renderer, view, proj);
    record("G-buffer", [&] { drawGBuffer(renderer, view, proj, true, footprint); });
    record("flood set-up", [&] { beginJumpFlood(renderer, footprint); });
    int src = 0;
    for (int i = jumpFloodStepCount(renderer.width, renderer.height) - 1; i >= 0; --i) {
        const std::string name = i > 0 ? "flood step " + std::to_string(1 << i) : "V step (1)";
        record(name, [&] { drawJumpFloodStep(renderer, i, src, footprint); });
        src = 1 - src;
    }
    endJumpFlood();
    const GLuint flood = renderer.jfaFramebuffers[src]->colorTextures[0];
    record("composition", [&] { drawFinal(renderer, view, flood, footprint); });
    record("endpoint spheres", [&] { drawEndpointSpheres(renderer, view, proj); });
    popGLState();
    record("final to screen", [&] { drawFinalToScreen(renderer); });
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// Where the G-buffer pass left a depth nearer than the cleared 1: the mesh
// or its contour, row by row from the bottom.
std::vector<bool> drawnPixels() {
    wholeFrame();
    std::vector<float> depth(size_t(benchWidth) * benchHeight);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, renderer.gBuffer->fbo);
    glReadPixels(0, 0, benchWidth, benchHeight, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    std::vector<bool> drawn(depth.size());
    for (size_t i = 0; i < depth.size(); ++i) drawn[i] = depth[i] < 1.0f;
    return drawn;
}

// Share of the window that shows the mesh or its contour.
double drawnShare() {
    const std::vector<bool> drawn = drawnPixels();
    return double(std::count(drawn.begin(), drawn.end(), true)) / drawn.size();
}

void measureView(const char* label, int frames) {
    setEveryEffect(true);
    printf("\n%s: %.1f %% of the pixels show the mesh or its contour\n", label,
           100.0 * drawnShare());
    std::vector<Row> rows;
    Row copy{"copy pass (baseline)", {}, {}}, on{"whole frame, every effect on", {}, {}},
        off{"whole frame, every effect off", {}, {}};
    wholeFrame();  // warm-up: shader variants and driver caches
    for (int f = 0; f < frames; ++f) {
        renderer.time = 0.01f * f;
        const double copyMs = timed(copyPass);
        copy.ms.push_back(copyMs);
        copy.ratio.push_back(1.0);
        setEveryEffect(true);
        const double onMs = timed(wholeFrame);
        setEveryEffect(false);
        const double offMs = timed(wholeFrame);
        setEveryEffect(true);
        framePassByPass(rows, copyMs);
        on.ms.push_back(onMs);
        on.ratio.push_back(onMs / copyMs);
        off.ms.push_back(offMs);
        off.ratio.push_back(offMs / copyMs);
    }
    rows.insert(rows.begin(), copy);
    rows.push_back(on);
    rows.push_back(off);
    printf("%-32s %10s %10s\n", "pass", "ms", "x copy");
    for (const Row& row : rows)
        printf("%-32s %10.2f %10.2f\n", row.name.c_str(), median(row.ms), median(row.ratio));
}

// A close look at one vessel, as a user zooms in on it: the view is panned
// onto the middle of the widest run of mesh in the row a quarter up the
// window (the trunk, at the default view), then zoomed in about it until the
// mesh covers the share `wanted` of the window. Returns the zoom factor.
double closeUp(double wanted) {
    const std::vector<bool> drawn = drawnPixels();
    const int row = benchHeight / 4;
    int bestFrom = 0, bestLength = 0;
    for (int x = 0, from = 0; x <= benchWidth; ++x) {
        if (x < benchWidth && drawn[size_t(row) * benchWidth + x]) continue;
        if (x - from > bestLength) bestFrom = from, bestLength = x - from;
        from = x + 1;
    }
    // The orthographic view shows a height of `distance` world units.
    const float unitsPerPixel = camera.distance / benchHeight;
    camera.pan((bestFrom + 0.5f * bestLength - 0.5f * benchWidth) * unitsPerPixel,
               (row + 0.5f - 0.5f * benchHeight) * unitsPerPixel);
    // The share grows as the view closes in: bisect the distance.
    const float start = camera.distance;
    float nearer = start / 1000.0f, farther = start;
    for (int i = 0; i < 16; ++i) {
        camera.distance = std::sqrt(nearer * farther);
        (drawnShare() < wanted ? farther : nearer) = camera.distance;
    }
    camera.distance = std::sqrt(nearer * farther);
    return start / camera.distance;
}

void saveFrame(const std::string& path) {
    setEveryEffect(true);
    wholeFrame();
    std::vector<unsigned char> pixels(benchWidth * benchHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, benchWidth, benchHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    stbi_flip_vertically_on_write(1);
    stbi_write_png(path.c_str(), benchWidth, benchHeight, 3, pixels.data(), benchWidth * 3);
    printf("Saved %s\n", path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 25;
    std::string mesh, save;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!strcmp(argv[i], "--frames")) frames = std::max(1, std::stoi(argv[i + 1]));
        if (!strcmp(argv[i], "--mesh")) mesh = argv[i + 1];
        if (!strcmp(argv[i], "--save")) save = argv[i + 1];
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

    if (!save.empty()) {
        saveFrame(save);
        closeUp(0.9);
        saveFrame(save.substr(0, save.rfind('.')) + "-close.png");
    } else {
        printf("\n%d by %d on %s; median of %d frames, each pass within glFinish\n", benchWidth,
               benchHeight, reinterpret_cast<const char*>(glGetString(GL_RENDERER)), frames);
        measureView("Default view", frames);
        const double zoom = closeUp(0.9);
        const std::string label =
            "Close view, one vessel zoomed in " + std::to_string(zoom).substr(0, 4) + " times";
        measureView(label.c_str(), frames);
    }
    shutDown();
    return 0;
}
