// The mesh-loading driver and the frame loop on a real GL context: console
// order, analysis results, U on the GPU, framing, what the scene shows after
// good and failed loads, and resizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <glm/gtc/type_ptr.hpp>

#include "app/camera.h"
#include "app/frame_loop.h"
#include "app/load_mesh.h"
#include "app/window.h"
#include "gl_context.h"
#include "render/framebuffer.h"
#include "render/renderer.h"
#include "render/shader_program.h"

namespace {

class LoadMesh : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!(window = testGLWindow())) return;
        assetsDir = sourceAssetsDir();
        glfwGetFramebufferSize(window, &fbWidth, &fbHeight);
        createShaderPrograms();
        setupCamera(camera, fbWidth, fbHeight);
        renderer.init();
        setFixedGLState();
        showGui = false;  // no GUI back-end on the test window
    }
    void SetUp() override { REQUIRE_GL(); }
    std::string load(const std::string& path) {
        testing::internal::CaptureStdout();
        loadMesh(path[0] == '/' ? path : sourceAssetsDir() + "/" + path);
        return testing::internal::GetCapturedStdout();
    }
    // Pixels of the drawn scene unlike the background colour.
    int meshPixels() {
        testing::internal::CaptureStdout();
        drawScene();
        testing::internal::GetCapturedStdout();
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        std::vector<glm::u8vec4> p(fbWidth * fbHeight);
        glReadPixels(0, 0, fbWidth, fbHeight, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
        glm::vec3 background = glm::make_vec3(renderer.colorBackground) * 255.0f;
        return std::count_if(p.begin(), p.end(), [&](glm::u8vec4 c) {
            return glm::any(glm::greaterThan(glm::abs(glm::vec3(c) - background), glm::vec3(2.5f)));
        });
    }
    std::vector<float> parameterBuffer() {  // -1 where the buffer is short
        std::vector<float> data(2 * renderer.V.rows(), -1.0f);
        glGetNamedBufferSubData(renderer.paramVbo, 0, data.size() * sizeof(float), data.data());
        return data;
    }
};

}  // namespace

// A load prints its lines in order, finds the root among the endpoints, puts
// U on the GPU and frames the mesh. A file that cannot be shown says so in one
// line and leaves an empty view and the camera as it was; loading the first
// file again gives what it gave before, whatever the camera did meanwhile.
TEST_F(LoadMesh, GoodLoadsAnalyseAndFrameBadOnesLeaveAnEmptyView) {
    const std::string out = load("example_meshes/bifurcation.off");
    size_t at = 0;
    for (std::string line : {std::string("Mesh radius = "), std::string("Skeletonizing iter 0"),
                             "Root point index is " + std::to_string(renderer.rootIndex) + "\n",
                             std::string("# smoothing iter: "), std::string("maxU = ")})
        ASSERT_NE(at = out.find(line, at), std::string::npos) << line << " in\n" << out;
    EXPECT_EQ(out.substr(at), "maxU = " + std::to_string(renderer.maxU) + "\n");
    const std::vector<int> ends = renderer.endpoints;
    EXPECT_NE(std::find(ends.begin(), ends.end(), renderer.rootIndex), ends.end());
    EXPECT_TRUE(renderer.hasU && renderer.maxU == renderer.paramU.maxCoeff());
    std::vector<float> u;  // (U, 0) per vertex
    for (int i = 0; i < renderer.V.rows(); ++i) u.insert(u.end(), {float(renderer.paramU(i)), 0});
    EXPECT_EQ(parameterBuffer(), u);
    EXPECT_EQ(camera.center, glm::make_vec3(renderer.meshCenter));
    const int full = meshPixels();
    EXPECT_GT(full, fbWidth * fbHeight / 50) << "the framed mesh covers a good part of the view";

    const Camera first = camera;
    camera.yaw = 1.3f, camera.minDistance = 20.0f;
    camera.pan(4.0f, -2.0f);
    const Camera moved = camera;
    const std::string data = MORVIK_SOURCE_DIR "/tests/app/data/";
    for (auto [file, said] :
         {std::pair{"missing.off", std::string("ERROR: Failed to load mesh\n")},
          {"points.off",
           "Mesh radius = 0.707107, center is (0.500000 , 0.500000 , 0.000000)\n"
           "ERROR: " +
               data + "points.off holds no face: nothing to show\n"},
          {"empty.off", "ERROR: " + data + "empty.off holds no vertex: nothing to show\n"}}) {
        EXPECT_EQ(load(data + file), said);
        EXPECT_EQ(renderer.V.rows() + renderer.F.rows() + renderer.endpoints.size(), 0u);
        EXPECT_FALSE(renderer.hasU);
        EXPECT_EQ(glm::vec4(camera.center, camera.yaw), glm::vec4(moved.center, moved.yaw));
        EXPECT_EQ(meshPixels(), 0) << file;
    }
    EXPECT_EQ(load("example_meshes/bifurcation.off"), out);
    EXPECT_EQ(renderer.endpoints, ends);
    EXPECT_EQ(glm::vec4(camera.center, camera.yaw), glm::vec4(first.center, first.yaw));
    EXPECT_EQ(glm::vec2(camera.distance, camera.minDistance), glm::vec2(first.distance, 0.1f));
    EXPECT_EQ(meshPixels(), full);
}

TEST_F(LoadMesh, MeshWithoutEndpointsSkipsTheUFieldButIsFramed) {
    const std::string out = load("models/sphere.off");  // closed: no tree ends
    EXPECT_TRUE(renderer.endpoints.empty() && renderer.rootIndex == -1 && !renderer.hasU);
    EXPECT_EQ(out.substr(out.find("Mesh has")), "Mesh has no endpoints: no root and no U field\n");
    EXPECT_EQ(parameterBuffer(), std::vector<float>(2 * renderer.V.rows(), 0.0f));
    EXPECT_EQ(camera.center, glm::make_vec3(renderer.meshCenter));
}

TEST_F(LoadMesh, ResizeIsAppliedAtTheNextFrame) {
    const int oldWidth = fbWidth, oldHeight = fbHeight;
    glfwSetWindowSize(window, 320, 200);
    for (int i = 0; i < 20 && glm::ivec2(fbWidth, fbHeight) != glm::ivec2(320, 200); ++i) {
        glfwWaitEventsTimeout(0.02);
        glfwGetFramebufferSize(window, &fbWidth, &fbHeight);
    }
    framebufferResized = true;
    testing::internal::CaptureStdout();
    runFrame();
    testing::internal::GetCapturedStdout();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(glm::ivec4(renderer.width, renderer.height, renderer.gBuffer->width, viewport[2]),
              glm::ivec4(320, 200, 320, 320));
    EXPECT_FLOAT_EQ(camera.aspect, 1.6f);
    EXPECT_FALSE(framebufferResized);
    glfwSetWindowSize(window, oldWidth, oldHeight);
}
