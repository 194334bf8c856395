// The real morvik binary in a real window under the test's X display, driven
// and inspected with xdotool and ImageMagick's import.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <thread>

#include "child_process.h"
#include "scratch_dir.h"

namespace fs = std::filesystem;

static std::string run(const std::string& tool, const std::vector<std::string>& args) {
    return runProgram("/usr/bin/" + tool, args, "", 60).out;
}

TEST(EndToEnd, ExampleTreeShowsMeshAndPanelAndEscapeEndsCleanly) {
    if (!getenv("DISPLAY") || !fs::exists("/usr/bin/xdotool") || !fs::exists("/usr/bin/import"))
        GTEST_SKIP() << "needs a display, xdotool and import";
    ScratchDir dir("morvik-e2e");
    fs::create_directory_symlink(MORVIK_SOURCE_DIR "/assets", dir.file("assets"));
    // Killed and collected if an assertion below ends the test early.
    ChildProcess app(MORVIK_BINARY_DIR "/app/morvik", {}, dir.path);

    std::string id = run("xdotool", {"search", "--sync", "--all", "--name", "^Morvik$"});
    id = id.substr(0, id.find('\n'));
    // The mesh: right of the panel, many pixels unlike the background corner.
    // The panel: its title bar in the dark style's active blue, at the left.
    // Both show once the analysis is done and the first frames are drawn.
    const std::string header = "P6\n1024 768\n255\n";  // a binary PPM of the whole window
    int mesh = 0, panel = 0;
    for (int i = 0; i < 120 && (mesh < 10000 || panel < 1000); ++i) {
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
    EXPECT_NE(result.out.find("maxU = "), std::string::npos) << result.out;
    EXPECT_EQ(result.err, "");
}
