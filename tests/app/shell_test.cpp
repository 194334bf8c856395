// Key, scroll and resize callbacks, the assets probe and the start-up fatal
// paths of the real binary.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/window.h"
#include "child_process.h"
#include "gl_context.h"
#include "render/shader_program.h"

namespace fs = std::filesystem;

namespace {

std::string makeTempDir() {
    std::string pattern = (fs::temp_directory_path() / "morvik-shell-XXXXXX").string();
    return mkdtemp(pattern.data());
}

}  // namespace

TEST(Callbacks, KeysToggleOnPressAndOnlyFunctionKeysPassAGuiThatHoldsTheKeyboard) {
    REQUIRE_GL();
    GLFWwindow* w = testGLWindow();
    auto key = [&](int k, int action = GLFW_PRESS) { keyCallback(w, k, 0, action, 0); };
    showGui = true;
    developerControls = multisampling = guiWantsKeyboard = false;
    testing::internal::CaptureStdout();
    key(GLFW_KEY_G);
    EXPECT_FALSE(showGui);
    key(GLFW_KEY_F2);
    key(GLFW_KEY_F2, GLFW_REPEAT);
    key(GLFW_KEY_F2, GLFW_RELEASE);
    key(GLFW_KEY_A);
    EXPECT_TRUE(developerControls);
    key(GLFW_KEY_M);
    EXPECT_TRUE(glIsEnabled(GL_MULTISAMPLE));

    guiWantsKeyboard = true;
    key(GLFW_KEY_G);
    key(GLFW_KEY_M);
    key(GLFW_KEY_ESCAPE);
    EXPECT_FALSE(showGui);
    EXPECT_TRUE(multisampling);
    EXPECT_FALSE(glfwWindowShouldClose(w));
    key(GLFW_KEY_F1);
    key(GLFW_KEY_F2);
    EXPECT_TRUE(showGui);
    EXPECT_FALSE(developerControls);

    guiWantsKeyboard = false;
    key(GLFW_KEY_M);
    EXPECT_FALSE(glIsEnabled(GL_MULTISAMPLE));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Multisampling on\nMultisampling off\n");
    key(GLFW_KEY_ESCAPE);
    EXPECT_TRUE(glfwWindowShouldClose(w));
    glfwSetWindowShouldClose(w, GLFW_FALSE);
}

TEST(Callbacks, ScrollAccumulatesUnlessTheGuiHoldsTheMouseAndOnlyPositiveSizesResize) {
    scrollAccum = 0.0f;
    guiWantsMouse = false;
    scrollCallback(nullptr, 5.0, 1.0);
    scrollCallback(nullptr, 0.0, 0.5);
    guiWantsMouse = true;
    scrollCallback(nullptr, 0.0, 2.0);
    EXPECT_EQ(scrollAccum, 1.5f);
    guiWantsMouse = false;

    framebufferResized = false;
    framebufferSizeCallback(nullptr, 0, 0);  // minimised
    framebufferSizeCallback(nullptr, 800, 0);
    EXPECT_FALSE(framebufferResized);
    framebufferSizeCallback(nullptr, 800, 600);
    EXPECT_TRUE(framebufferResized);
    framebufferResized = false;
}

TEST(AssetsProbe, FindsParentsAndAcceptsAPlainFile) {
    std::string root = makeTempDir();
    fs::create_directories(root + "/a/b/c");
    std::ofstream(root + "/a/assets") << "not a folder";
    ChildResult r = runInChild([&] {
        if (chdir((root + "/a/b/c").c_str()) != 0) _exit(3);
        probeAssetsDirectory();
        printf("%s\n", assetsDir.c_str());
    });
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.out, "../../assets\n");
    fs::remove_all(root);
}

TEST(StartupFatal, TheRealBinaryEndsWithTheExactMessageAndStatus255) {
    // Mesa can cap the GL version below the 4.3 core context the window needs.
    const char* version = testGLWindow() ? (const char*)glGetString(GL_VERSION) : nullptr;
    bool mesa = version && strstr(version, "Mesa");
    struct Case {
        bool assets;
        std::string env;  // env(1)'s argument: -uNAME unsets, NAME=VALUE sets
        std::string message;
    } cases[] = {
        {false, "LC_ALL=C", "Cannot locate assets directory!"},
        {true, "-uDISPLAY", "Failed to init GLFW"},
        {true, "MESA_GL_VERSION_OVERRIDE=3.3",
         "Failed to create the window: an OpenGL 4.3 core context is needed"},
    };
    for (const Case& c : cases) {
        if (c.env.rfind("MESA", 0) == 0 && !mesa) continue;
        std::string dir = makeTempDir();
        if (c.assets) fs::create_directory(dir + "/assets");
        ChildResult r =
            runProgram("/usr/bin/env", {c.env, MORVIK_BINARY_DIR "/app/morvik"}, dir, 30);
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.exitStatus, 255);
        EXPECT_EQ(r.out, "FATAL ERROR: " + c.message + "\n");
        EXPECT_EQ(r.err, "");
        fs::remove_all(dir);
    }
}
