// The frame loop's own steps on a real context: what the scene shows after
// good and failed loads, and how resizes are applied.
#include <gtest/gtest.h>

#include "app/camera.h"
#include "app/frame_loop.h"
#include "app/load_mesh.h"
#include "app/window.h"
#include "gl_context.h"
#include "render/framebuffer.h"
#include "render/renderer.h"
#include "render/shader_program.h"

namespace {

class FrameLoop : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        window = testGLWindow();
        if (!window) return;
        assetsDir = sourceAssetsDir();
        glfwGetFramebufferSize(window, &fbWidth, &fbHeight);
        createShaderPrograms();
        setupCamera(camera, fbWidth, fbHeight);
        renderer.init();
        setFixedGLState();
        showGui = false;  // no GUI back-end on the test window
    }
    void SetUp() override { REQUIRE_GL(); }

    // Pixels of the scene that differ from the background colour.
    int meshPixels() {
        testing::internal::CaptureStdout();
        drawScene();
        testing::internal::GetCapturedStdout();
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        std::vector<unsigned char> pixels(4 * fbWidth * fbHeight);
        glReadPixels(0, 0, fbWidth, fbHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        unsigned char bg[3] = {(unsigned char)(renderer.colorBackground[0] * 255 + 0.5f),
                               (unsigned char)(renderer.colorBackground[1] * 255 + 0.5f),
                               (unsigned char)(renderer.colorBackground[2] * 255 + 0.5f)};
        int count = 0;
        for (size_t i = 0; i < pixels.size(); i += 4)
            if (std::abs(pixels[i] - bg[0]) > 2 || std::abs(pixels[i + 1] - bg[1]) > 2 ||
                std::abs(pixels[i + 2] - bg[2]) > 2)
                ++count;
        return count;
    }
    void load(const std::string& path) {
        testing::internal::CaptureStdout();
        loadMesh(path);
        testing::internal::GetCapturedStdout();
    }
};

}  // namespace

TEST_F(FrameLoop, FailedLoadLeavesAnEmptyViewAndAGoodLoadRestoresIt) {
    std::string good = sourceAssetsDir() + "/example_meshes/bifurcation.off";
    load(good);
    int full = meshPixels();
    EXPECT_GT(full, fbWidth * fbHeight / 50) << "the framed mesh covers a good part of the view";

    load(sourceAssetsDir() + "/example_meshes/no-such-tree.off");
    EXPECT_EQ(meshPixels(), 0);

    load(good);
    EXPECT_EQ(meshPixels(), full);
}

TEST_F(FrameLoop, ResizeIsAppliedOnceAtTheNextFrameAndZeroSizesAreDropped) {
    int oldWidth = fbWidth, oldHeight = fbHeight;
    glfwSetWindowSize(window, 320, 200);
    for (int i = 0; i < 20; ++i) {
        glfwWaitEventsTimeout(0.02);
        int w = 0, h = 0;
        glfwGetFramebufferSize(window, &w, &h);
        if (w == 320 && h == 200) break;
    }
    EXPECT_EQ(fbWidth, oldWidth);  // nothing until the next frame
    framebufferResized = true;
    testing::internal::CaptureStdout();
    runFrame();
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(framebufferResized);
    EXPECT_EQ(fbWidth, 320);
    EXPECT_EQ(fbHeight, 200);
    EXPECT_EQ(renderer.width, 320);
    EXPECT_EQ(renderer.height, 200);
    EXPECT_FLOAT_EQ(camera.aspect, 1.6f);
    ASSERT_NE(renderer.gBuffer, nullptr);
    EXPECT_EQ(renderer.gBuffer->width, 320);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 320);

    // A minimised window reports 0 by 0: the callback never raises the flag.
    framebufferSizeCallback(window, 0, 0);
    EXPECT_FALSE(framebufferResized);

    glfwSetWindowSize(window, oldWidth, oldHeight);
    glfwWaitEventsTimeout(0.05);
    framebufferResized = true;
    testing::internal::CaptureStdout();
    runFrame();
    testing::internal::GetCapturedStdout();
}
