// The real morvik binary in a real window under the test's X display, driven
// and inspected with xdotool and ImageMagick's import.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "child_process.h"

extern char** environ;
namespace fs = std::filesystem;

namespace {

bool haveTools() {
    return getenv("DISPLAY") && fs::exists("/usr/bin/xdotool") && fs::exists("/usr/bin/import");
}

std::string xdotool(const std::vector<std::string>& args, double timeout = 60) {
    return runProgram("/usr/bin/xdotool", args, "", timeout).out;
}

// morvik started in a fresh folder whose "assets" links to the source assets.
class Morvik {
  public:
    explicit Morvik(const std::vector<std::string>& args) {
        std::string pattern = (fs::temp_directory_path() / "morvik-e2e-XXXXXX").string();
        dir = mkdtemp(pattern.data());
        fs::create_directory_symlink(std::string(MORVIK_SOURCE_DIR) + "/assets", dir + "/assets");
        std::string program = std::string(MORVIK_BINARY_DIR) + "/app/morvik";
        std::vector<std::string> all = {program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, (dir + "/out.txt").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, (dir + "/err.txt").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Morvik() {
        if (pid > 0 && !ended) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        fs::remove_all(dir);
    }
    std::string out() const {
        std::stringstream s;
        s << std::ifstream(dir + "/out.txt").rdbuf();
        return s.str();
    }
    // Waits until the console shows `text`; false after the timeout.
    bool waitForOutput(const std::string& text, double seconds) {
        auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end) {
            if (out().find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
    // The exit status, or -1 when it has not ended within the timeout.
    int waitForExit(double seconds) {
        auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                ended = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return -1;
    }
    std::string windowId() {
        // This process's window only, should other windows be open on the display.
        std::string id = xdotool(
            {"search", "--sync", "--all", "--pid", std::to_string(pid), "--name", "^Morvik$"});
        return id.substr(0, id.find('\n'));
    }
    pid_t pid = -1;
    bool ended = false;
    std::string dir;
};

struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    const unsigned char* at(int x, int y) const { return &rgb[3 * (y * width + x)]; }
};

// Reads a binary PPM (P6, maxval 255).
Image readPpm(const std::string& path) {
    Image img;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    in >> magic >> img.width >> img.height >> maxval;
    in.get();
    if (magic != "P6" || maxval != 255) return Image();
    img.rgb.resize(3 * img.width * img.height);
    in.read((char*)img.rgb.data(), img.rgb.size());
    return img;
}

int countPixels(const Image& img, int x0, int y0, int x1, int y1,
                const std::function<bool(const unsigned char*)>& pred) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += pred(img.at(x, y)) ? 1 : 0;
    return n;
}

}  // namespace

TEST(EndToEnd, ExampleTreeShowsMeshAndPanelAndEscapeEndsCleanly) {
    if (!haveTools()) GTEST_SKIP() << "needs a display, xdotool and import";
    Morvik app({});
    ASSERT_GT(app.pid, 0);
    std::string id = app.windowId();
    ASSERT_FALSE(id.empty());
    std::string geometry = xdotool({"getwindowgeometry", id});
    EXPECT_NE(geometry.find("Geometry: 1024x768"), std::string::npos) << geometry;

    ASSERT_TRUE(app.waitForOutput("maxU = ", 120)) << app.out();
    std::string out = app.out();
    size_t radius = out.find("Mesh radius = ");
    size_t root = out.find("Root point index is ");
    size_t smoothing = out.find("# smoothing iter: ");
    EXPECT_LT(radius, root);
    EXPECT_LT(root, smoothing);
    EXPECT_LT(smoothing, out.find("maxU = "));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // a few frames

    std::string shot = app.dir + "/shot.ppm";
    ChildResult import =
        runProgram("/usr/bin/import", {"-window", id, "-depth", "8", "ppm:" + shot}, "", 60);
    ASSERT_EQ(import.exitStatus, 0) << import.err;
    Image img = readPpm(shot);
    ASSERT_EQ(img.width, 1024);
    ASSERT_EQ(img.height, 768);

    // The panel: its title bar in the dark style's active blue, at the top left.
    int titleBar = countPixels(img, 0, 0, 400, 150, [](const unsigned char* p) {
        return std::abs(p[0] - 41) < 8 && std::abs(p[1] - 74) < 8 && std::abs(p[2] - 122) < 8;
    });
    EXPECT_GT(titleBar, 1000);
    // The mesh: right of the panel, many pixels unlike the background corner.
    const unsigned char* bg = img.at(1020, 764);
    int mesh = countPixels(img, 400, 0, 1024, 768, [&](const unsigned char* p) {
        return std::abs(p[0] - bg[0]) + std::abs(p[1] - bg[1]) + std::abs(p[2] - bg[2]) > 30;
    });
    EXPECT_GT(mesh, 10000);

    xdotool({"windowfocus", "--sync", id, "key", "Escape"});
    EXPECT_EQ(app.waitForExit(30), 0);
    std::ifstream err(app.dir + "/err.txt");
    std::string errText((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
    EXPECT_EQ(errText, "");
}

TEST(EndToEnd, UnreadableMeshArgumentKeepsTheProgramRunning) {
    if (!haveTools()) GTEST_SKIP() << "needs a display, xdotool and import";
    Morvik app({"no/such/tree.off", "ignored-extra-argument"});
    ASSERT_GT(app.pid, 0);
    std::string id = app.windowId();
    ASSERT_FALSE(id.empty());
    ASSERT_TRUE(app.waitForOutput("ERROR: Failed to load mesh\n", 60)) << app.out();

    // Keys reach the program: M switches multisampling, then Escape ends it.
    xdotool({"windowfocus", "--sync", id, "key", "m"});
    EXPECT_TRUE(app.waitForOutput("Multisampling on\n", 20)) << app.out();
    xdotool({"windowfocus", "--sync", id, "key", "Escape"});
    EXPECT_EQ(app.waitForExit(30), 0);
    EXPECT_EQ(app.out().find("maxU"), std::string::npos);
}
