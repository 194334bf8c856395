// Key, scroll and resize callbacks, the assets probe and the start-up fatal
// paths.
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

namespace {

class KeyRules : public ::testing::Test {
  protected:
    void SetUp() override {
        showGui = true;
        developerControls = false;
        multisampling = false;
        guiWantsKeyboard = false;
        guiWantsMouse = false;
        scrollAccum = 0.0f;
    }
    void press(int key, int action = GLFW_PRESS) { keyCallback(testGLWindow(), key, 0, action, 0); }
};

std::string makeTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "morvik-shell-XXXXXX").string();
    return mkdtemp(pattern.data());
}

}  // namespace

TEST_F(KeyRules, PressesToggleFlagsAndRepeatsOrReleasesDoNothing) {
    press(GLFW_KEY_G);
    EXPECT_FALSE(showGui);
    press(GLFW_KEY_F1);
    EXPECT_TRUE(showGui);
    press(GLFW_KEY_F2);
    EXPECT_TRUE(developerControls);
    press(GLFW_KEY_F2, GLFW_REPEAT);
    press(GLFW_KEY_F2, GLFW_REPEAT);
    press(GLFW_KEY_F2, GLFW_RELEASE);
    EXPECT_TRUE(developerControls);
    press(GLFW_KEY_A);
    EXPECT_TRUE(showGui);
    EXPECT_TRUE(developerControls);
}

TEST_F(KeyRules, MultisamplingKeySwitchesGLStateAndPrints) {
    REQUIRE_GL();
    testing::internal::CaptureStdout();
    press(GLFW_KEY_M);
    EXPECT_TRUE(glIsEnabled(GL_MULTISAMPLE));
    press(GLFW_KEY_M);
    EXPECT_FALSE(glIsEnabled(GL_MULTISAMPLE));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Multisampling on\nMultisampling off\n");
    EXPECT_FALSE(multisampling);
}

TEST_F(KeyRules, GuiKeyboardCaptureLetsOnlyFunctionKeysThrough) {
    REQUIRE_GL();
    GLFWwindow* w = testGLWindow();
    guiWantsKeyboard = true;
    testing::internal::CaptureStdout();
    press(GLFW_KEY_G);
    press(GLFW_KEY_M);
    press(GLFW_KEY_ESCAPE);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(showGui);
    EXPECT_FALSE(multisampling);
    EXPECT_FALSE(glfwWindowShouldClose(w));
    press(GLFW_KEY_F1);
    press(GLFW_KEY_F2);
    EXPECT_FALSE(showGui);
    EXPECT_TRUE(developerControls);

    guiWantsKeyboard = false;
    press(GLFW_KEY_ESCAPE);
    EXPECT_TRUE(glfwWindowShouldClose(w));
    glfwSetWindowShouldClose(w, GLFW_FALSE);
}

TEST_F(KeyRules, ScrollAccumulatesUnlessGuiHoldsTheMouse) {
    scrollCallback(nullptr, 5.0, 1.0);
    scrollCallback(nullptr, 0.0, 0.5);
    EXPECT_EQ(scrollAccum, 1.5f);
    guiWantsMouse = true;
    scrollCallback(nullptr, 0.0, 2.0);
    EXPECT_EQ(scrollAccum, 1.5f);
}

TEST(ResizeCallback, OnlyPositiveSizesRequestAResize) {
    framebufferResized = false;
    framebufferSizeCallback(nullptr, 0, 0);
    framebufferSizeCallback(nullptr, 800, 0);
    EXPECT_FALSE(framebufferResized);
    framebufferSizeCallback(nullptr, 800, 600);
    EXPECT_TRUE(framebufferResized);
    framebufferResized = false;
}

TEST(AssetsProbe, FindsParentsAndAcceptsAPlainFile) {
    std::string root = makeTempDir();
    std::filesystem::create_directories(root + "/a/b/c");
    std::ofstream(root + "/a/assets") << "not a folder";
    ChildResult r = runInChild([&] {
        if (chdir((root + "/a/b/c").c_str()) != 0) _exit(3);
        probeAssetsDirectory();
        printf("%s\n", assetsDir.c_str());
    });
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.out, "../../assets\n");
    std::filesystem::remove_all(root);
}

TEST(StartupFatal, NoAssetsDirectoryEndsTheRealBinary) {
    std::string dir = makeTempDir();
    ChildResult r = runProgram(std::string(MORVIK_BINARY_DIR) + "/app/morvik", {}, dir, 30);
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exitStatus, 255);
    EXPECT_EQ(r.out, "FATAL ERROR: Cannot locate assets directory!\n");
    EXPECT_EQ(r.err, "");
    std::filesystem::remove_all(dir);
}

// The real binary, started in a folder that holds an (empty) assets folder,
// with one environment variable changed for it.
ChildResult runMorvikWithEnv(const char* name, const char* value) {
    std::string dir = makeTempDir();
    std::filesystem::create_directory(dir + "/assets");
    const char* old = getenv(name);
    std::string saved = old ? old : "";
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
    ChildResult r = runProgram(std::string(MORVIK_BINARY_DIR) + "/app/morvik", {}, dir, 30);
    if (old)
        setenv(name, saved.c_str(), 1);
    else
        unsetenv(name);
    std::filesystem::remove_all(dir);
    return r;
}

TEST(StartupFatal, NoDisplayFailsToInitGlfw) {
    ChildResult r = runMorvikWithEnv("DISPLAY", nullptr);
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exitStatus, 255);
    EXPECT_EQ(r.out, "FATAL ERROR: Failed to init GLFW\n");
}

TEST(StartupFatal, NoOpenGL43ContextIsFatalNotANullWindow) {
    if (!testGLWindow()) GTEST_SKIP() << "no display";
    const char* version = (const char*)glGetString(GL_VERSION);
    if (!version || !strstr(version, "Mesa")) GTEST_SKIP() << "the version cap needs Mesa";
    // Mesa then offers at most OpenGL 3.3, so the 4.3 core window cannot be made.
    ChildResult r = runMorvikWithEnv("MESA_GL_VERSION_OVERRIDE", "3.3");
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exitStatus, 255);
    EXPECT_EQ(r.out,
              "FATAL ERROR: Failed to create the window: an OpenGL 4.3 core context is needed\n");
}
