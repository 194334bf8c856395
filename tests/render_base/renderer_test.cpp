#include "render/renderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <glm/gtc/type_ptr.hpp>

#include "fatal_scenario.h"
#include "gl_context.h"
#include "render/framebuffer.h"
#include "render/shader_program.h"
#include "test_assets.h"

namespace {

const char* const programNames[7] = {"final", "sphere", "contour",   "contour_line",
                                     "jfa",   "debug",  "render_tex"};

template <int N>
std::vector<float> values(const float (&a)[N]) {
    return std::vector<float>(a, a + N);
}

}  // namespace

TEST(RendererDefaults, ConstructionGivesEveryTableDefaultAndNoGpuObject) {
    Renderer r;
    EXPECT_EQ(values(r.dirLight.direction),
              (std::vector<float>{0.0f, -1.0f / std::sqrt(2.0f), -1.0f / std::sqrt(2.0f)}));
    EXPECT_EQ(r.dirLight.direction[1], -0.70710677f);
    EXPECT_FALSE(r.dirLight.viewerRelative);
    EXPECT_EQ(r.ambientLight, 0.2f);
    EXPECT_EQ(r.material.diffuse, 0.7f);
    EXPECT_EQ(r.material.specular, 0.3f);
    EXPECT_EQ(r.material.shiny, 9.0f);
    EXPECT_EQ(r.sphereSize, 2.0f);
    EXPECT_FALSE(r.centerOnLoad || r.normalizeOnLoad || r.renderEndpoints || r.renderRootpoint);
    EXPECT_TRUE(r.depthAwareJFA && r.addContours && r.useBlinnPhong);
    EXPECT_EQ(r.contourWidth, 3.0f);
    EXPECT_EQ(values(r.polyOffset), (std::vector<float>{5, 0}));
    EXPECT_EQ(values(r.colorBackground), (std::vector<float>{0.5f, 0.5f, 0.5f}));
    EXPECT_EQ(values(r.colorContour), (std::vector<float>{0, 0, 0}));
    EXPECT_EQ(values(r.colorMesh), (std::vector<float>{1, 1, 0}));
    EXPECT_EQ(values(r.colorMeshPlain), (std::vector<float>{1, 1, 1}));
    EXPECT_FALSE(r.hatching.enabled);
    EXPECT_EQ(r.hatching.f, 200.0f);
    EXPECT_EQ(r.hatching.o, 0.0f);
    EXPECT_EQ(r.hatching.w, 0.4f);
    EXPECT_EQ(r.hatching.l, 5.0f);
    EXPECT_EQ(r.hatching.s, 2.0f);
    EXPECT_EQ(r.hatching.n, 1);
    EXPECT_FALSE(r.isolines.enabled[0] || r.isolines.enabled[1]);
    EXPECT_EQ(values(r.isolines.freq), (std::vector<float>{100, 100}));
    EXPECT_EQ(values(r.isolines.width), (std::vector<float>{1, 1}));
    EXPECT_FALSE(r.decals.enabled || r.decals.onContour);
    EXPECT_EQ(values(r.decals.scale), (std::vector<float>{2.0f, 0.1f, 0.5f}));
    EXPECT_EQ(values(r.decals.offset), (std::vector<float>{-0.5f, -0.1f}));
    EXPECT_TRUE(r.decals.clampV && r.decals.invertV && r.decals.animate);
    EXPECT_FALSE(r.scalar_field.enabled || r.scalar_field.onContour);
    EXPECT_TRUE(r.scalar_field.useTexture && r.scalar_field.invert);
    EXPECT_EQ(r.time, 0.0f);
    EXPECT_EQ(r.debug_float, 0.0f);

    // Mesh, placement, names and pointers.
    EXPECT_EQ(r.V.size() + r.F.size() + r.paramU.size() + r.paramV.size(), 0);
    EXPECT_TRUE(r.endpoints.empty());
    EXPECT_EQ(r.rootIndex, 0);
    EXPECT_EQ(r.maxU, 0.0);
    EXPECT_FALSE(r.hasU || r.hasV || r.inited);
    EXPECT_EQ(r.meshScale, 1.0f);
    EXPECT_EQ(r.meshRadius, 0.0f);
    EXPECT_EQ(values(r.meshCenter), (std::vector<float>{0, 0, 0}));
    EXPECT_EQ(r.modelMatrix, glm::mat4(1.0f));
    EXPECT_EQ(r.normalMatrix, glm::mat3(1.0f));
    for (GLuint name :
         {r.positionVbo, r.normalVbo, r.paramVbo, r.meshIbo, r.meshVao, r.sphereVbo, r.sphereIbo,
          r.sphereVao, r.emptyVao, r.decalTextureId, r.gradientTextureId})
        EXPECT_EQ(name, 0u);
    EXPECT_EQ(&r.positionVbo, &r.meshVbos[0]);
    EXPECT_EQ(&r.paramVbo, &r.meshVbos[2]);
    for (Framebuffer* fb : {r.jfaFramebuffers[0], r.jfaFramebuffers[1], r.gBuffer,
                            r.finalFramebuffer, r.spareFramebuffer})
        EXPECT_EQ(fb, nullptr);
    for (ShaderProgram* p : r.programs) EXPECT_EQ(p, nullptr);
    EXPECT_EQ(r.width + r.height + r.sphereIndexCount, 0);

    EXPECT_STREQ(gradientTextureFiles[0], "grad_WhBu.jpg");
    EXPECT_STREQ(gradientTextureFiles[1], "grad_WhGn.png");
    EXPECT_STREQ(gradientTextureFiles[2], "grad_OrRd.png");
    EXPECT_STREQ(gradientTextureFiles[3], "grad_magma.png");
}

namespace {

class RendererGL : public testing::Test {
  protected:
    void SetUp() override {
        if (!testGLWindow()) GTEST_SKIP() << "no OpenGL display";
        assets.writeStandardSet();
        baseline = countLiveObjects();
    }
    void TearDown() override {
        r.destroy();
        deleteAllPrograms();
        fbWidth = fbHeight = 0;
    }

    // Draws the renderer's sphere flat at half size into the window and
    // reports whether pixel (x, y) of the 256 by 256 window was covered.
    std::vector<bool> sphereCoverage(const std::vector<std::pair<int, int>>& pixels) {
        ShaderProgram* basic = getShaderProgram("final");
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, 256, 256);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glUseProgram(basic->programId);
        glm::mat4 half = glm::scale(glm::mat4(1.0f), glm::vec3(0.5f));
        glUniformMatrix4fv(basic->uniformLocation("mvp"), 1, GL_FALSE, glm::value_ptr(half));
        glUniform4f(basic->uniformLocation("color"), 1, 1, 1, 1);
        glBindVertexArray(r.sphereVao);
        glDrawElements(GL_TRIANGLES, r.sphereIndexCount, GL_UNSIGNED_INT, nullptr);
        glBindVertexArray(0);
        glUseProgram(0);
        std::vector<bool> covered;
        for (auto [x, y] : pixels) covered.push_back(readPixel(x, y).r > 0.5f);
        return covered;
    }

    TestAssets assets;
    LiveObjects baseline;
    Renderer r;
};

}  // namespace

TEST_F(RendererGL, InitBuildsTheGpuSideOnceAndDestroyReleasesAllOfIt) {
    registerSevenPrograms();
    fbWidth = 48;
    fbHeight = 32;
    r.init();
    ASSERT_TRUE(r.inited);
    EXPECT_EQ(r.width, 48);
    EXPECT_EQ(r.height, 32);
    for (int i = 0; i < 7; ++i) {
        ASSERT_NE(r.programs[i], nullptr);
        EXPECT_EQ(r.programs[i]->name, programNames[i]);
    }
    EXPECT_EQ(r.sphereIndexCount, 24);  // the octahedron's 8 triangles
    EXPECT_NE(r.emptyVao, 0u);          // it becomes an object when the draw first binds it
    ASSERT_NE(r.gBuffer, nullptr);
    EXPECT_EQ(r.gBuffer->width, 48);
    EXPECT_EQ(r.gBuffer->height, 32);
    EXPECT_TRUE(glIsTexture(r.decalTextureId));
    EXPECT_TRUE(glIsTexture(r.gradientTextureId));

    // The octahedron at half size covers the diamond |x| + |y| <= 0.5 (NDC):
    // the vertex rows reached the GPU one vertex after another.
    EXPECT_EQ(sphereCoverage({{128, 128},
                              {128 + 51, 128},
                              {128, 128 - 51},
                              {128 - 51, 128},
                              {128 + 38, 128 + 38},
                              {5, 5}}),
              (std::vector<bool>{true, true, true, true, false, false}));

    // A second init changes nothing.
    const LiveObjects initialised = countLiveObjects();
    Framebuffer* gBuffer = r.gBuffer;
    const GLuint decal = r.decalTextureId, sphereVao = r.sphereVao;
    fbWidth = 99;
    r.init();
    EXPECT_EQ(r.width, 48);
    EXPECT_EQ(r.gBuffer, gBuffer);
    EXPECT_EQ(r.decalTextureId, decal);
    EXPECT_EQ(r.sphereVao, sphereVao);
    EXPECT_TRUE(countLiveObjects() == initialised);

    const GLuint sphereBuffers[2] = {r.sphereVbo, r.sphereIbo};
    r.destroy();
    EXPECT_FALSE(r.inited);
    EXPECT_FALSE(glIsTexture(decal));
    EXPECT_FALSE(glIsVertexArray(sphereVao));
    EXPECT_FALSE(glIsBuffer(sphereBuffers[0]) || glIsBuffer(sphereBuffers[1]));
    EXPECT_EQ(r.gBuffer, nullptr);
    EXPECT_TRUE(countLiveObjects() == baseline) << "everything init made is gone";

    // The released names are forgotten, so a new init keeps all it makes.
    r.init();
    EXPECT_TRUE(countLiveObjects() == initialised);
}

TEST_F(RendererGL, DestroyWithoutInitOnlyEmptiesTheMesh) {
    r.V = Eigen::MatrixXd::Ones(3, 3);
    r.F = Eigen::MatrixXi::Zero(1, 3);
    r.endpoints = {0, 2};
    r.rootIndex = -1;
    r.paramU = Eigen::VectorXd::Constant(3, 0.5);
    r.hasU = true;
    r.maxU = 2.5;
    r.destroy();
    EXPECT_EQ(r.V.rows() + r.V.cols() + r.F.rows() + r.F.cols(), 0);
    EXPECT_TRUE(r.endpoints.empty());
    EXPECT_EQ(r.rootIndex, 0);
    EXPECT_FALSE(r.hasU);
    EXPECT_FALSE(r.inited);
    // The analysis results stay until the object itself goes.
    EXPECT_EQ(r.paramU.size(), 3);
    EXPECT_EQ(r.maxU, 2.5);
    EXPECT_TRUE(countLiveObjects() == baseline);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(RendererGL, ClearMeshDeletesTheMeshObjects) {
    glGenVertexArrays(1, &r.meshVao);
    glBindVertexArray(r.meshVao);  // a vertex array exists once bound
    glGenBuffers(3, r.meshVbos);
    glGenBuffers(1, &r.meshIbo);
    for (GLuint b : {r.positionVbo, r.normalVbo, r.paramVbo, r.meshIbo}) {
        glBindBuffer(GL_ARRAY_BUFFER, b);
        glBufferData(GL_ARRAY_BUFFER, 4, nullptr, GL_STATIC_DRAW);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
    const GLuint vao = r.meshVao, ibo = r.meshIbo;
    const GLuint vbos[3] = {r.meshVbos[0], r.meshVbos[1], r.meshVbos[2]};

    r.clearMesh();
    EXPECT_FALSE(glIsVertexArray(vao) || glIsBuffer(ibo));
    for (GLuint b : vbos) EXPECT_FALSE(glIsBuffer(b));
}

TEST(RendererFatal, MissingSphereModelEndsInitButTheStandardSetInits) {
    REQUIRE_GL();
    TestAssets assets;
    assets.writeStandardSet();
    ChildResult good = runFatalScenario({assets.dir(), "init"});
    EXPECT_EQ(good.out, "survived\n");
    EXPECT_EQ(good.exitStatus, 0);

    std::filesystem::remove(assets.dir() + "/models/sphere.off");
    ChildResult missing = runFatalScenario({assets.dir(), "init"});
    EXPECT_EQ(missing.out, "FATAL ERROR: Failed to load sphere mesh\n");
    EXPECT_EQ(missing.exitStatus, 255);
}

// The shipped assets: the seven programs of the real shader set, the sphere
// model and the textures.
TEST(RendererRealAssets, InitAgainstTheShippedAssets) {
    REQUIRE_GL();
    namespace fs = std::filesystem;
    const std::string dir = sourceAssetsDir();
    const std::vector<std::pair<const char*, std::vector<std::string>>> programs = {
        {"final", {"quad.vert", "final.frag"}},
        {"sphere", {"sphere.vert", "sphere.frag"}},
        {"contour", {"contour.vert", "contour.geom", "contour.frag"}},
        {"contour_line", {"contour.vert", "contour_line.geom", "contour.frag"}},
        {"jfa", {"quad.vert", "jfa.frag"}},
        {"debug", {"quad.vert", "debug.frag"}},
        {"render_tex", {"quad.vert", "quad.frag"}},
    };
    std::vector<std::string> needed = {"models/sphere.off", "textures/arrow.png"};
    for (const char* map : gradientTextureFiles) needed.push_back(std::string("textures/") + map);
    for (const auto& program : programs)
        for (const std::string& file : program.second) needed.push_back("shaders/" + file);
    for (const std::string& file : needed)
        if (!fs::exists(dir + "/" + file)) GTEST_SKIP() << "asset not there yet: " << file;

    const std::string previous = assetsDir;
    assetsDir = dir;
    for (const auto& [name, files] : programs) new ShaderProgram(name, files);
    fbWidth = 64;
    fbHeight = 48;
    Renderer r;
    r.init();
    EXPECT_TRUE(r.inited);
    EXPECT_GT(r.sphereIndexCount, 0);
    EXPECT_EQ(r.sphereIndexCount % 3, 0);
    for (const char* map : gradientTextureFiles) r.loadGradientTexture(map);
    EXPECT_TRUE(glIsTexture(r.gradientTextureId));
    r.destroy();
    deleteAllPrograms();
    assetsDir = previous;
    fbWidth = fbHeight = 0;
}
