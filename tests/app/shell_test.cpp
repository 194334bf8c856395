// Key, scroll and resize callbacks, the assets probe and the start-up fatal
// paths of the real binary.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "app/window.h"
#include "child_process.h"
#include "gl_context.h"
#include "render/shader_program.h"

namespace fs = std::filesystem;

TEST(Callbacks, KeysToggleOnPressAndOnlyFunctionKeysPassAGuiThatHoldsTheKeyboard) {
    REQUIRE_GL();
    GLFWwindow* w = testGLWindow();
    auto keys = [&](std::initializer_list<int> list, int action = GLFW_PRESS) {
        for (int k : list) keyCallback(w, k, 0, action, 0);
    };
    auto state = [&] {
        return std::tuple(showGui, developerControls, multisampling, glfwWindowShouldClose(w) != 0,
                          glIsEnabled(GL_MULTISAMPLE) != 0);
    };
    showGui = true;
    developerControls = multisampling = guiWantsKeyboard = false;
    testing::internal::CaptureStdout();
    keys({GLFW_KEY_G, GLFW_KEY_F2, GLFW_KEY_A, GLFW_KEY_M});
    keys({GLFW_KEY_F2, GLFW_KEY_M}, GLFW_REPEAT);
    keys({GLFW_KEY_F2, GLFW_KEY_M}, GLFW_RELEASE);
    EXPECT_EQ(state(), std::tuple(false, true, true, false, true));
    guiWantsKeyboard = true;
    keys({GLFW_KEY_G, GLFW_KEY_M, GLFW_KEY_ESCAPE, GLFW_KEY_F1, GLFW_KEY_F2});
    EXPECT_EQ(state(), std::tuple(true, false, true, false, true));
    guiWantsKeyboard = false;
    keys({GLFW_KEY_M, GLFW_KEY_ESCAPE});
    EXPECT_EQ(state(), std::tuple(true, false, false, true, false));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Multisampling on\nMultisampling off\n");
    glfwSetWindowShouldClose(w, GLFW_FALSE);
}

TEST(Callbacks, ScrollAccumulatesUnlessTheGuiHoldsTheMouseAndOnlyPositiveSizesResize) {
    scrollAccum = 0.0f;
    for (bool guiMouse : {false, true}) {
        guiWantsMouse = guiMouse;
        scrollCallback(nullptr, 5.0, 0.75);  // only the vertical part counts
    }
    EXPECT_EQ(scrollAccum, 0.75f);
    framebufferResized = false;
    framebufferSizeCallback(nullptr, 0, 0);  // minimised
    framebufferSizeCallback(nullptr, 800, 0);
    EXPECT_FALSE(framebufferResized);
    framebufferSizeCallback(nullptr, 800, 600);
    EXPECT_TRUE(framebufferResized);
}

TEST(AssetsProbe, FindsParentsAndAcceptsAPlainFile) {
    std::string root = testing::TempDir() + "morvik-probe";
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
    // An assets folder or none, env(1)'s argument (-uNAME unsets), the message.
    for (auto [assets, env, message] :
         {std::tuple<bool, std::string, std::string>{false, "LC_ALL=C",
                                                     "Cannot locate assets directory!"},
          {true, "-uDISPLAY", "Failed to init GLFW"},
          {true, "MESA_GL_VERSION_OVERRIDE=3.3",
           "Failed to create the window: an OpenGL 4.3 core context is needed"}}) {
        if (env.rfind("MESA", 0) == 0 && !mesa) continue;
        std::string dir = testing::TempDir() + "morvik-start";
        fs::remove_all(dir);
        fs::create_directories(assets ? dir + "/assets" : dir);
        ChildResult r = runProgram("/usr/bin/env", {env, MORVIK_BINARY_DIR "/app/morvik"}, dir, 30);
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.exitStatus, 255);
        EXPECT_EQ(r.out, "FATAL ERROR: " + message + "\n");
        EXPECT_EQ(r.err, "");
        fs::remove_all(dir);
    }
}
