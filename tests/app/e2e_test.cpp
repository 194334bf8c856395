// The real morvik binary in a real window under the test's X display, driven
// and inspected with xdotool and ImageMagick's import; its fatal start-up
// paths; and the script that builds and starts it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <thread>

#include "child_process.h"
#include "gl_context.h"
#include "scratch_dir.h"

namespace fs = std::filesystem;

static std::string run(const std::string& tool, const std::vector<std::string>& args) {
    return runProgram("/usr/bin/" + tool, args, "", 60).out;
}

// The console lines of the first load reach a pipe while the viewer runs;
// then the mesh and the panel show, and Escape ends the viewer cleanly.
TEST(EndToEnd, ExampleTreeShowsMeshAndPanelAndEscapeEndsCleanly) {
    if (!getenv("DISPLAY") || !fs::exists("/usr/bin/xdotool") || !fs::exists("/usr/bin/import"))
        GTEST_SKIP() << "needs a display, xdotool and import";
    ScratchDir dir("morvik-e2e");
    fs::create_directory_symlink(MORVIK_SOURCE_DIR "/assets", dir.file("assets"));
    ChildProcess app(MORVIK_BINARY_DIR "/app/morvik", {}, dir.path);  // killed if a check fails
    ASSERT_TRUE(app.waitForOutput("maxU = ", 180));
    std::string id = run("xdotool", {"search", "--sync", "--all", "--name", "^Morvik$"});
    id = id.substr(0, id.find('\n'));
    // The mesh: right of the panel, many pixels unlike the background corner.
    // The panel: its title bar in the dark style's active blue, at the left.
    const std::string header = "P6\n1024 768\n255\n";  // a binary PPM of the whole window
    int mesh = 0, panel = 0;
    for (int i = 0; i < 60 && (mesh < 10000 || panel < 1000); ++i) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        std::string shot = run("import", {"-window", id, "-depth", "8", "ppm:-"});
        ASSERT_EQ(shot.size(), header.size() + 3 * 1024 * 768);
        ASSERT_EQ(shot.substr(0, header.size()), header);
        auto pixel = [&](int x, int y) {
            return (const unsigned char*)&shot[header.size() + 3 * (y * 1024 + x)];
        };
        auto distance = [](const unsigned char* p, const unsigned char* q) {
            return std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]);
        };
        const unsigned char *bg = pixel(1020, 764), blue[] = {41, 74, 122};
        mesh = panel = 0;
        for (int y = 0; y < 768; ++y)
            for (int x = 0; x < 1024; ++x) {
                mesh += x >= 400 && distance(pixel(x, y), bg) > 30;
                panel += x < 400 && distance(pixel(x, y), blue) < 12;
            }
    }
    EXPECT_GE(mesh, 10000);
    EXPECT_GE(panel, 1000);
    run("xdotool", {"windowfocus", "--sync", id, "key", "Escape"});
    const ChildResult result = app.finish(60);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, "");
}

TEST(EndToEnd, FatalStartsEndWithTheirExactMessageAndStatus255) {
    const char* version = testGLWindow() ? (const char*)glGetString(GL_VERSION) : "";
    // An assets folder or none, env(1)'s argument (-uNAME unsets), the message.
    for (auto [assets, env, message] :
         {std::tuple{false, "LC_ALL=C", "Cannot locate assets directory!"},
          {true, "-uDISPLAY", "Failed to init GLFW"},
          {true, "MESA_GL_VERSION_OVERRIDE=3.3",
           "Failed to create the window: an OpenGL 4.3 core context is needed"}}) {
        if (env[0] == 'M' && !strstr(version, "Mesa")) continue;  // Mesa's own override
        ScratchDir dir;
        if (assets) fs::create_directory(dir.file("assets"));
        ChildResult r =
            runProgram("/usr/bin/env", {env, MORVIK_BINARY_DIR "/app/morvik"}, dir.path, 30);
        EXPECT_EQ(r.exitStatus, 255) << env;
        EXPECT_EQ(r.out + r.err, std::string("FATAL ERROR: ") + message + "\n");
    }
}

// From another folder, scripts/run.sh installs and builds only the viewer and
// hands it the mesh path taken from the caller's folder; fakes stand in for
// the installer, the build and the viewer of a copy of the repository.
TEST(RunScript, BuildsTheViewerAloneAndTakesPathsFromTheCallersFolder) {
    ScratchDir dir;
    for (const char* folder : {"repo/build/app", "repo/scripts", "work"})
        fs::create_directories(dir.file(folder));
    fs::copy_file(MORVIK_SOURCE_DIR "/scripts/run.sh", dir.file("repo/scripts/run.sh"));
    for (auto [file, says] : {std::pair{"scripts/install-deps.sh", "install"},
                              {"scripts/build.sh", "build"},
                              {"build/app/morvik", "$PWD"}}) {
        writeFile(dir.file("repo/") + file, std::string("#!/bin/sh\necho ") + says + " \"$@\"\n");
        fs::permissions(dir.file("repo/") + file, fs::perms(0755));
    }
    const std::string said = "install viewer\nbuild morvik\n" + dir.file("repo");
    auto fromWork = [&](std::vector<std::string> args) {
        args.insert(args.begin(), "../repo/scripts/run.sh");
        return runProgram("/bin/bash", args, dir.file("work")).out;
    };
    EXPECT_EQ(fromWork({"my tree.off"}), said + " " + dir.file("work/my tree.off") + "\n");
    EXPECT_EQ(fromWork({"/a.off", "b"}), said + " /a.off b\n");
    EXPECT_EQ(fromWork({}), said + "\n");
}
