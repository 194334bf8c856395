// The real morvik binary in a real window under the test's X display, driven
// and inspected with xdotool and ImageMagick's import.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <sstream>
#include <thread>

#include "child_process.h"

namespace fs = std::filesystem;

namespace {

std::string run(const std::string& tool, const std::vector<std::string>& args) {
    return runProgram("/usr/bin/" + tool, args, "", 60).out;
}

// Pixels of a screenshot of the window inside [x0, x1) that pass the test.
struct Shot {
    int width = 0, height = 0;
    std::string rgb;
    template <class Test>
    int count(int x0, int x1, Test test) const {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = x0; x < x1; ++x)
                n += test((const unsigned char*)&rgb[3 * (y * width + x)]) ? 1 : 0;
        return n;
    }
};

Shot screenshot(const std::string& window) {
    std::istringstream in(run("import", {"-window", window, "-depth", "8", "ppm:-"}));
    Shot s;
    std::string magic;
    in >> magic >> s.width >> s.height >> magic;  // P6 width height 255
    in.get();
    s.rgb.assign(std::istreambuf_iterator<char>(in), {});
    if (s.rgb.size() != 3u * s.width * s.height) s.width = s.height = 0;
    return s;
}

}  // namespace

TEST(EndToEnd, ExampleTreeShowsMeshAndPanelAndEscapeEndsCleanly) {
    if (!getenv("DISPLAY") || !fs::exists("/usr/bin/xdotool") || !fs::exists("/usr/bin/import"))
        GTEST_SKIP() << "needs a display, xdotool and import";
    fs::path dir = fs::temp_directory_path() / ("morvik-e2e-" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::create_directory_symlink(MORVIK_SOURCE_DIR "/assets", dir / "assets");
    ChildResult app;
    std::thread runner([&] { app = runProgram(MORVIK_BINARY_DIR "/app/morvik", {}, dir, 180); });
    // Let the runner fork first: a child forked meanwhile would hold its pipe open.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    std::string id = run("xdotool", {"search", "--sync", "--all", "--name", "^Morvik$"});
    id = id.substr(0, id.find('\n'));
    EXPECT_NE(run("xdotool", {"getwindowgeometry", id}).find("Geometry: 1024x768"),
              std::string::npos);
    // The mesh: right of the panel, many pixels unlike the background corner,
    // once the analysis is done and the first frames are drawn.
    Shot shot;
    int mesh = 0;
    for (int i = 0; i < 120 && mesh < 10000; ++i) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        shot = screenshot(id);
        ASSERT_EQ(shot.width * 10000 + shot.height, 1024 * 10000 + 768);
        const unsigned char* bg = (const unsigned char*)&shot.rgb[3 * (764 * 1024 + 1020)];
        mesh = shot.count(400, 1024, [&](const unsigned char* p) {
            return std::abs(p[0] - bg[0]) + std::abs(p[1] - bg[1]) + std::abs(p[2] - bg[2]) > 30;
        });
    }
    EXPECT_GE(mesh, 10000);
    // The panel: its title bar in the dark style's active blue, at the top left.
    EXPECT_GT(shot.count(0, 400,
                         [](const unsigned char* p) {
                             return std::abs(p[0] - 41) < 8 && std::abs(p[1] - 74) < 8 &&
                                    std::abs(p[2] - 122) < 8;
                         }),
              1000);

    run("xdotool", {"windowfocus", "--sync", id, "key", "Escape"});
    runner.join();
    EXPECT_EQ(app.exitStatus, 0);
    EXPECT_NE(app.out.find("maxU = "), std::string::npos) << app.out;
    EXPECT_EQ(app.err, "");
    fs::remove_all(dir);
}
