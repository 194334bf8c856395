// Time from start to the first frame on screen, phase by phase, through the
// same start-up steps as morvik. Run where the assets probe succeeds:
//   bench_startup [mesh] [runs]
// Each run is a fresh process (a re-run of this program with "--once"), as a
// user's start is; the table gives the median of the runs. The program's own
// console output is suppressed.

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
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

// One start-up, as main runs it, up to the first frame; prints the phase
// times on one line to the original standard output.
int runOnce(const std::string& mesh) {
    Clock::time_point t0 = Clock::now();
    probeAssetsDirectory();
    int console = dup(1);
    int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, 1);
    close(devNull);

    initWindow();
    Clock::time_point t1 = Clock::now();
    createShaderPrograms();
    setupCamera(camera, fbWidth, fbHeight);
    Clock::time_point t2 = Clock::now();
    renderer.init();
    Clock::time_point t3 = Clock::now();
    loadMesh(mesh.empty() ? assetsDir + "/example_meshes/vesselTree4.off" : mesh);
    setFixedGLState();
    Clock::time_point t4 = Clock::now();
    runFrame();
    glFinish();
    Clock::time_point t5 = Clock::now();
    shutDown();

    fflush(stdout);
    dup2(console, 1);
    printf("%f %f %f %f %f %f\n", seconds(t0, t1), seconds(t1, t2), seconds(t2, t3),
           seconds(t3, t4), seconds(t4, t5), seconds(t0, t5));
    return 0;
}

// Runs this program with "--once" and reads its line; empty on failure.
std::string runChild(const std::string& mesh) {
    int fds[2];
    if (pipe(fds) != 0) return "";
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        execl("/proc/self/exe", "bench_startup", "--once", mesh.c_str(), (char*)nullptr);
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, n);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? out : "";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--once") == 0) return runOnce(argc >= 3 ? argv[2] : "");
    std::string mesh = argc >= 2 ? argv[1] : "";
    int runs = argc >= 3 ? std::max(1, std::atoi(argv[2])) : 3;

    std::vector<std::vector<double>> times(phaseCount);
    for (int run = 0; run < runs; ++run) {
        std::string line = runChild(mesh);
        if (line.empty()) {
            printf("run %d failed: run morvik with the same mesh to see why\n", run + 1);
            return 1;
        }
        std::istringstream in(line);
        for (int p = 0; p < phaseCount; ++p) {
            double t = 0;
            in >> t;
            times[p].push_back(t);
        }
    }

    printf("Start to first frame, %s, median of %d run(s)\n",
           mesh.empty() ? "the example tree" : mesh.c_str(), runs);
    for (int p = 0; p < phaseCount; ++p) {
        std::sort(times[p].begin(), times[p].end());
        printf("  %-24s %8.3f s\n", phaseNames[p], times[p][times[p].size() / 2]);
    }
    return 0;
}
