// The passes around the image: the caller's state given back, the jump
// flood against a brute-force search, its step count and result buffer, the
// endpoint spheres, and the draw's entry check.
#include <cmath>
#include <glm/gtc/matrix_transform.hpp>

#include "child_process.h"
#include "frame_fixture.h"
#include "render/framebuffer.h"
#include "render/gl_state.h"
#include "test_meshes.h"

namespace {

GLuint boundTexture(int unit) {
    GLint active = 0, name = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glActiveTexture(GL_TEXTURE0 + unit);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    glActiveTexture(active);
    return static_cast<GLuint>(name);
}

}  // namespace

using FramePasses = FrameTest;

TEST_F(FramePasses, TheCallersFramebuffersViewportAndClearColourComeBack) {
    load(writeOff("sphere_small.off", uvSphere(Eigen::Vector3d::Zero(), 1.0, 32, 16)));
    GLuint readFbo = 0;
    glGenFramebuffers(1, &readFbo);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, callerFbo);
    glClearColor(0.25f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(20, 30, 100, 120);
    glClearColor(0.1f, 0.2f, 0.3f, 0.4f);
    renderer.renderEndpoints = true;
    renderer.endpoints = {0};
    renderer.draw(view, projection, true);

    GLint draw = 0, read = 0, viewport[4];
    GLfloat clear[4];
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(static_cast<GLuint>(draw), callerFbo);
    EXPECT_EQ(static_cast<GLuint>(read), readFbo);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{20, 30, 100, 120}));
    EXPECT_EQ(std::vector<float>(clear, clear + 4), (std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_TRUE(glStateStack.empty());

    // The copy covers the caller's viewport and nothing else.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, callerFbo);
    EXPECT_NEAR(readPixel(10, 10).r, 0.25f, 1e-4f);
    EXPECT_NEAR(readPixel(22, 32).r, 0.5f, 1e-4f);
    EXPECT_NEAR(readPixel(125, 100).r, 0.25f, 1e-4f);
    glDeleteFramebuffers(1, &readFbo);
}

TEST_F(FramePasses, JumpFloodFindsTheNearestSeed) {
    // 65 wide: seven steps, so the seed image survives in the first target
    // and the result lands in the second.
    setSize(65, 47);
    const TestMesh front = cappedTube(0, -1.5, 1.5, 0.3, Eigen::Vector3d(0.3, 0, 1), 24, 8);
    const TestMesh back = cappedTube(1, -1.5, 1.5, 0.5, Eigen::Vector3d(-0.2, 0, -1), 24, 8);
    load(writeOff("crossing_small.off", combine(front, back)));
    renderer.contourWidth = 0.1f / (renderer.meshRadius * 0.002f);

    for (bool depthAware : {true, false}) {
        renderer.depthAwareJFA = depthAware;
        drawFrame();
        ASSERT_EQ(boundTexture(2), renderer.jfaFramebuffers[1]->colorTextures[0]);
        const std::vector<float> seeds =
            readTexture(renderer.jfaFramebuffers[0]->colorTextures[0], 65, 47);
        const std::vector<float> result =
            readTexture(renderer.jfaFramebuffers[1]->colorTextures[0], 65, 47);

        int seedCount = 0, checked = 0, wrong = 0;
        for (int i = 0; i < 65 * 47; ++i) seedCount += seeds[4 * i] >= 0 ? 1 : 0;
        ASSERT_GT(seedCount, 50);
        for (int y = 0; y < 47; ++y) {
            for (int x = 0; x < 65; ++x) {
                const float own = seeds[4 * (y * 65 + x) + 3];
                double best = 1e30;
                for (int i = 0; i < 65 * 47; ++i) {
                    const float* s = &seeds[4 * i];
                    if (s[0] < 0) continue;
                    if (depthAware && own != 0.0f && own > s[2]) continue;
                    best = std::min(best, std::hypot(s[0] - (x + 0.5), s[1] - (y + 0.5)));
                }
                const float* r = &result[4 * (y * 65 + x)];
                ASSERT_EQ(r[3] > 0.5f, best < 1e29) << x << "," << y;
                if (best > 1e29) continue;
                ++checked;
                if (std::abs(r[0] - best) > 1e-3) ++wrong;
            }
        }
        // Jump flooding may miss the exact nearest seed in rare spots.
        EXPECT_LE(wrong, checked / 100) << "depth aware " << depthAware;
    }
}

TEST_F(FramePasses, StepCountAndResultBufferFollowTheLargerSide) {
    renderer.clearMesh();  // no triangles: every primitive is a full-screen pass
    struct Case {
        int w, h, steps;
    };
    for (Case c : {Case{1024, 768, 10}, Case{1025, 768, 11}, Case{512, 512, 9}, Case{1, 1, 0}}) {
        setSize(c.w, c.h);
        GLuint query = 0;
        glGenQueries(1, &query);
        glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        drawFrame();
        glEndQuery(GL_PRIMITIVES_GENERATED);
        GLuint primitives = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &primitives);
        glDeleteQueries(1, &query);
        // Two triangles per flood step, then the composition and the copy.
        EXPECT_EQ(primitives, static_cast<GLuint>(2 * c.steps + 4)) << c.w << "x" << c.h;
        EXPECT_EQ(boundTexture(2), renderer.jfaFramebuffers[c.steps % 2]->colorTextures[0])
            << c.w << "x" << c.h;
    }
    // With no step at all the composition reads the seed image itself.
    EXPECT_EQ(boundTexture(2), renderer.gBuffer->colorTextures[0]);
    EXPECT_NEAR(pixel(0, 0).r, 0.5f, 1e-4f);
}

TEST_F(FramePasses, SpheresMarkTheRootRedAndTheOtherEndpointsGreen) {
    // Endpoints at the tube's cap centres, the last two vertices.
    load(writeOff("tube_ends.off", cappedTube(0, -1.5, 1.5, 0.3, Eigen::Vector3d::Zero(), 32, 8)));
    const int a = static_cast<int>(renderer.V.rows()) - 2, b = a + 1;
    renderer.endpoints = {a, b};
    renderer.rootIndex = a;
    renderer.sphereSize = 0.3f / (renderer.meshRadius * 0.01f);  // radius 0.3, 15 pixels
    auto colours = [&] {
        drawFrame();
        return std::pair{pixelAt(-1.65, 0.05), pixelAt(1.65, 0.05)};
    };
    auto isGrey = [](Rgba p) {
        return std::abs(p.r - 0.5f) < 1e-3f && std::abs(p.g - 0.5f) < 1e-3f &&
               std::abs(p.b - 0.5f) < 1e-3f;
    };
    auto isRed = [](Rgba p) { return p.r > p.g + 0.2f && p.r > p.b + 0.2f; };
    auto isGreen = [](Rgba p) { return p.g > p.r + 0.2f && p.g > p.b + 0.2f; };

    auto [rootOff, tipOff] = colours();
    EXPECT_TRUE(isGrey(rootOff) && isGrey(tipOff));

    renderer.renderRootpoint = true;
    auto [rootOnly, tipHidden] = colours();
    EXPECT_TRUE(isRed(rootOnly));
    EXPECT_TRUE(isGrey(tipHidden));

    renderer.renderRootpoint = false;
    renderer.renderEndpoints = true;
    auto [rootGreen, tipGreen] = colours();
    EXPECT_TRUE(isGreen(rootGreen));
    EXPECT_TRUE(isGreen(tipGreen));

    renderer.renderRootpoint = true;
    auto [rootRed, tipStillGreen] = colours();
    EXPECT_TRUE(isRed(rootRed));
    EXPECT_TRUE(isGreen(tipStillGreen));
    // Translucent: the sphere's part over the tube lets the tube show through.
    Rgba overTube = pixelAt(1.45, 0.05);
    EXPECT_GT(overTube.r, 0.2f);

    // No endpoint: no sphere, whatever the flags.
    renderer.endpoints.clear();
    renderer.rootIndex = -1;
    auto [none1, none2] = colours();
    EXPECT_TRUE(isGrey(none1) && isGrey(none2));
    GLboolean depthTest = GL_TRUE;
    glGetBooleanv(GL_DEPTH_TEST, &depthTest);
    EXPECT_FALSE(depthTest);
}

TEST(FrameEntry, DrawingBeforeInitIsFatal) {
    ChildResult r = runProgram(DRAW_BEFORE_INIT, {});
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exitStatus, 255);
    EXPECT_EQ(r.out, "FATAL ERROR: Assertion failed: Mesh not inited\n");
}
