// Key, scroll and resize callbacks, and the assets probe.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <tuple>

#include "app/window.h"
#include "child_process.h"
#include "gl_context.h"
#include "render/shader_program.h"
#include "scratch_dir.h"

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
    ScratchDir root;
    std::filesystem::create_directories(root.file("a/b/c"));
    writeFile(root.file("a/assets"), "not a folder");
    ChildResult r = runInChild([&] {
        if (chdir(root.file("a/b/c").c_str()) == 0) probeAssetsDirectory();
        printf("%s\n", assetsDir.c_str());
    });
    EXPECT_EQ(r.out, "../../assets\n");
}
