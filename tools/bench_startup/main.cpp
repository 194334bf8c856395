// Time from start to the first frame on screen, phase by phase, through the
// same start-up steps as morvik. Run from a folder where the assets probe
// succeeds (or with the assets folder's parent as working directory):
//   bench_startup [mesh] [runs]
// Each run starts the window system afresh; the table gives the median of
// the runs and the console output of the program itself is suppressed.

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <fcntl.h>
#include <imgui.h>
#include <imgui_impl_glfw.h>
#include <imgui_impl_opengl3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/frame_loop.h"
#include "app/load_mesh.h"
#include "app/window.h"
#include "render/renderer.h"
#include "render/shader_program.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* phaseNames[] = {"window and GUI",         "shader programs", "renderer init",
                            "mesh load and analysis", "first frame",     "total"};
constexpr int phaseCount = 6;

double seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc >= 3 ? std::max(1, std::atoi(argv[2])) : 3;
    probeAssetsDirectory();
    std::string mesh =
        argc >= 2 && argv[1][0] ? argv[1] : assetsDir + "/example_meshes/vesselTree4.off";

    // The program's own progress lines would drown the table.
    int console = dup(1);
    std::vector<std::vector<double>> times(phaseCount);
    for (int run = 0; run < runs; ++run) {
        fflush(stdout);
        int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, 1);
        close(devNull);

        Clock::time_point t0 = Clock::now();
        initWindow();
        Clock::time_point t1 = Clock::now();
        createShaderPrograms();
        setupCamera(camera, fbWidth, fbHeight);
        Clock::time_point t2 = Clock::now();
        renderer.init();
        Clock::time_point t3 = Clock::now();
        loadMesh(mesh);
        setFixedGLState();
        Clock::time_point t4 = Clock::now();
        runFrame();
        glFinish();
        Clock::time_point t5 = Clock::now();
        // The program never takes the GUI down; a second run here must.
        ImGui_ImplOpenGL3_Shutdown();
        ImGui_ImplGlfw_Shutdown();
        ImGui::GetIO().IniFilename = nullptr;
        ImGui::DestroyContext();
        shutDown();

        fflush(stdout);
        dup2(console, 1);
        Clock::time_point marks[] = {t0, t1, t2, t3, t4, t5};
        for (int p = 0; p < phaseCount - 1; ++p)
            times[p].push_back(seconds(marks[p], marks[p + 1]));
        times[phaseCount - 1].push_back(seconds(t0, t5));
    }

    printf("Start to first frame, %s, median of %d run(s)\n", mesh.c_str(), runs);
    for (int p = 0; p < phaseCount; ++p) {
        std::sort(times[p].begin(), times[p].end());
        printf("  %-24s %8.3f s\n", phaseNames[p], times[p][times[p].size() / 2]);
    }
    return 0;
}
