// The passes around the image: the caller's state given back, the jump
// flood against a brute-force search, its step count and result buffer, the
// endpoint spheres and the draw's entry check.
#include "child_process.h"
#include "frame_fixture.h"
#include "render/draw_passes.h"
#include "render/framebuffer.h"
#include "render/gl_state.h"
#include "render/mesh_footprint.h"

static GLuint boundTexture(int unit) {
    GLint name = 0;
    glGetIntegeri_v(GL_TEXTURE_BINDING_2D, unit, &name);
    return GLuint(name);
}

using FramePasses = FrameTest;

TEST_F(FramePasses, TheCallersFramebuffersViewportAndClearColourComeBack) {
    loadParts({unitSphere(32, 16)});
    GLuint readFbo = 0;
    glCreateFramebuffers(1, &readFbo);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, callerFbo);
    glClearColor(0.25f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glViewport(20, 30, 100, 120);
    glClearColor(0.1f, 0.2f, 0.3f, 0.4f);
    r.renderEndpoints = true;
    r.endpoints = {0};
    r.draw(view, projection, true);
    std::vector<GLint> state(6);  // draw and read framebuffers, viewport
    std::vector<float> clear(4);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &state[0]);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &state[1]);
    glGetIntegerv(GL_VIEWPORT, &state[2]);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear.data());
    EXPECT_EQ(state, (std::vector<GLint>{GLint(callerFbo), GLint(readFbo), 20, 30, 100, 120}));
    EXPECT_EQ(clear, (std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_TRUE(glStateStack.empty());
    // The copy covers the caller's viewport and nothing else.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, callerFbo);
    glDeleteFramebuffers(1, &readFbo);
    EXPECT_TRUE(readPixel(10, 10).r == 0.25f && readPixel(125, 100).r == 0.25f);
    EXPECT_EQ(readPixel(22, 32).r, 0.5f);
}

TEST_F(FramePasses, JumpFloodFindsTheNearestSeed) {
    // 65 wide: seven steps, so the seed image survives in the first target
    // and the result lands in the second. A thin tube lies across a wide one
    // behind it.
    const int w = 65, h = 47;
    setSize(w, h);
    loadParts({tube(-1.5, 1.5, 0.3, 24, 8, Eigen::Vector3d(0.3, 0.2, 1)),
               tube(-1.2, 1.6, 0.5, 24, 8, Eigen::Vector3d(0, -0.3, -1))});
    r.contourWidth = 0.1f / (r.meshRadius * 0.002f);
    auto readTarget = [&](int k) {
        std::vector<float> texels(w * h * 4);
        glGetTextureImage(r.jfaFramebuffers[k]->colorTextures[0], 0, GL_RGBA, GL_FLOAT,
                          int(texels.size() * 4), texels.data());
        return texels;
    };

    for (bool depthAware : {true, false}) {
        r.depthAwareJFA = depthAware;
        drawFrame();
        ASSERT_EQ(boundTexture(2), r.jfaFramebuffers[1]->colorTextures[0]);
        const std::vector<float> seeds = readTarget(0), result = readTarget(1);
        // Outside the mesh's footprint nothing is read, nor kept clean.
        const MeshFootprint footprint = meshFootprint(r, view, projection);
        auto inBox = [&](int i) {
            const int x = i % w, y = i / w;
            for (const PixelBox& s : footprint.strips)
                if (x >= s.x && x < s.x + s.width && y >= s.y && y < s.y + s.height) return true;
            return false;
        };
        int checked = 0, wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (!inBox(y * w + x)) continue;
                // The nearest seed not behind this pixel's own surface.
                const float own = seeds[4 * (y * w + x) + 3];
                double best = 1e30;
                for (int i = 0; i < w * h; ++i) {
                    const float* s = &seeds[4 * i];
                    if (!inBox(i) || s[0] < 0 || (depthAware && own != 0.0f && own > s[2]))
                        continue;
                    best = std::min(best, std::hypot(s[0] - (x + 0.5), s[1] - (y + 0.5)));
                }
                // Drawn pixels find their seed; the background only as far
                // as the fringe beside a contour reaches (1.5 pixels).
                const bool wanted = own != 0.0f ? best < 1e29 : best < 1.5;
                const float* got = &result[4 * (y * w + x)];
                ASSERT_EQ(got[3] > 0.5f, wanted) << x << "," << y;
                checked += wanted;
                wrong += wanted && std::abs(got[0] - best) > 1e-3;
            }
        // Jump flooding may miss the exact nearest seed in rare spots.
        EXPECT_GT(checked, w * h / 4);
        EXPECT_LE(wrong, checked / 100) << "depth aware " << depthAware;
    }
}

TEST_F(FramePasses, StepCountAndResultBufferFollowTheLargerSide) {
    for (auto [w, h, steps] :
         {std::tuple{1024, 768, 10}, {1025, 768, 11}, {512, 512, 9}, {1, 1, 0}}) {
        EXPECT_EQ(jumpFloodStepCount(w, h), steps) << w << "x" << h;
        setSize(w, h);
        drawFrame();
        EXPECT_EQ(boundTexture(2), r.jfaFramebuffers[steps % 2]->colorTextures[0]) << w << "x" << h;
    }
    // With no step at all the composition reads the seed image itself.
    EXPECT_EQ(boundTexture(2), r.gBuffer->colorTextures[0]);
    EXPECT_NEAR(readPixel(0, 0).r, 0.5f, 1e-4f);
}

TEST_F(FramePasses, SpheresMarkTheRootRedAndTheOtherEndpointsGreen) {
    // Endpoints at the tube's cap centres; spheres of radius 0.3 (15 pixels).
    loadParts({tube(-1.5, 1.5, 0.3, 32, 8)});
    const int a = static_cast<int>(r.V.rows()) - 2;
    r.endpoints = {a, a + 1};
    r.rootIndex = a;
    r.sphereSize = 0.3f / (r.meshRadius * 0.01f);
    // Red, green, the grey background, or something else.
    auto kind = [](Rgba p) {
        if (p.r > p.g + 0.2f && p.r > p.b + 0.2f) return 'r';
        if (p.g > p.r + 0.2f && p.g > p.b + 0.2f) return 'g';
        return shows(p, 0.5f, 0.5f, 0.5f) ? '-' : '?';
    };
    // What shows at the root and at the tip for each pair of flags.
    for (auto [root, ends, shown] :
         {std::tuple{0, 0, "--"}, {1, 0, "r-"}, {0, 1, "gg"}, {1, 1, "rg"}}) {
        r.renderRootpoint = root;
        r.renderEndpoints = ends;
        drawFrame();
        EXPECT_EQ(std::string({kind(pixelAt(-1.65, 0.05)), kind(pixelAt(1.65, 0.05))}), shown);
    }
    // Translucent: the tube shows through the sphere's part over it.
    EXPECT_GT(pixelAt(1.45, 0.05).r, 0.2f);

    // No endpoint: no sphere, whatever the flags, and no depth test left on.
    r.endpoints.clear();
    r.rootIndex = -1;
    drawFrame();
    EXPECT_EQ(kind(pixelAt(-1.65, 0.05)), '-');
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
}

TEST(FrameEntry, DrawingBeforeInitIsFatal) {
    ChildResult r = runProgram(DRAW_BEFORE_INIT, {});
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exitStatus, 255);
    EXPECT_EQ(r.out, "FATAL ERROR: Assertion failed: Mesh not inited\n");
}
