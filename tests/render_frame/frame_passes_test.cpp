#include "render/draw_passes.h"
#include "render/gl_state.h"
#include "render_scene.h"

static GLuint boundTexture(int unit) {
    GLint name = 0;
    glGetIntegeri_v(GL_TEXTURE_BINDING_2D, unit, &name);
    return GLuint(name);
}

using FramePasses = RenderScene;

// 65 wide: seven steps, the result in the second target. A thin tube across
// a wide one behind it. Drawn pixels find their nearest seed not behind their
// own surface; the background only within the contour's fringe (1.5 pixels).
TEST_F(FramePasses, JumpFloodFindsTheNearestSeed) {
    const int w = 65, h = 47;
    setSize(w, h);
    loadParts({tube(-1.5, 1.5, 0.3, Eigen::Vector3d(0.3, 0.2, 1)),
               tube(-1.2, 1.6, 0.5, Eigen::Vector3d(0, -0.3, -1))});
    std::vector<float> seeds(w * h * 4), result(w * h * 4);  // of the last two steps
    for (bool depthAware : {true, false}) {
        r.depthAwareJFA = depthAware;  // blind, with no band: the rims are the seeds
        r.contourWidth = depthAware ? 0.1f / (r.meshRadius * 0.002f) : 0.0f;
        drawFrame();
        ASSERT_EQ(boundTexture(2), r.jfaFramebuffers[1]->colorTextures[0]);
        for (auto [k, texels] : {std::pair{0, &seeds}, {1, &result}})
            glGetTextureImage(r.jfaFramebuffers[k]->colorTextures[0], 0, GL_RGBA, GL_FLOAT,
                              w * h * 16, texels->data());
        std::vector<bool> in(w * h, false);  // outside the footprint nothing is read
        for (const PixelBox& s : meshFootprint(r, view, projection).strips)
            for (int y = s.y; y < s.y + s.height; ++y)
                std::fill_n(in.begin() + y * w + s.x, s.width, true);
        int checked = 0, wrong = 0;
        for (int p = 0; p < w * h; ++p) {
            const float own = in[p] ? seeds[4 * p + 3] : 0.0f;  // outside: stale, background
            double best = 1e30;
            for (int i = 0; i < w * h; ++i) {
                const float* s = &seeds[4 * i];
                if (in[i] && s[0] >= 0 && !(depthAware && own != 0.0f && own > s[2]))
                    best = std::min(best, std::hypot(s[0] - (p % w + 0.5), s[1] - (p / w + 0.5)));
            }
            const bool wanted = own != 0.0f ? best < 1e29 : best < 1.5;
            ASSERT_TRUE(in[p] ? (result[4 * p + 3] > 0.5f) == wanted : !wanted)
                << p % w << "," << p / w;
            checked += in[p] && wanted;
            wrong += in[p] && wanted && std::abs(result[4 * p] - best) > 1e-3;
        }
        EXPECT_GT(checked, w * h / 4);  // jump flooding may miss in rare spots
        EXPECT_LE(wrong, checked / 100) << "depth aware " << depthAware;
    }
    r.isolines.enabled[1] = true;  // V's one reader: the V step marches, half widths > 0
    drawFrame();
    glGetTextureImage(r.jfaFramebuffers[1]->colorTextures[0], 0, GL_RGBA, GL_FLOAT, w * h * 16,
                      result.data());
    float widest = 0.0f;
    for (int p = 0; p < w * h; ++p) widest = std::max(widest, result[4 * p + 1]);
    EXPECT_GT(widest, 2.0f);
    setSize(1, 1);  // no step at all: the composition reads the seed image itself
    drawFrame();
    EXPECT_EQ(boundTexture(2), r.gBuffer->colorTextures[0]);
}

// Endpoints at the cap centres (x = -1.5, 1.5: columns 25, 175); spheres of
// radius 0.3 (15 pixels) about row 100, looked at in row 102. The first frame
// goes to a caller with a viewport, bindings and clear colour of its own.
TEST_F(FramePasses, SpheresMarkTheRootRedAndTheOtherEndpointsGreen) {
    loadParts({tube(-1.5, 1.5, 0.3)});
    int a = -1, b = -1;  // the caps' hubs, root first
    for (int i = 0; i < r.V.rows(); ++i)
        if (r.V.row(i).tail<2>().norm() < 1e-9) (r.V(i, 0) < 0 ? a : b) = i;
    r.endpoints = {std::min(a, b), std::max(a, b)};
    r.rootIndex = a;
    r.sphereSize = 0.3f / (r.meshRadius * 0.01f);
    GLuint readFbo = 0;
    glCreateFramebuffers(1, &readFbo);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, callerFbo);
    glClearColor(0.25f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glViewport(20, 30, 100, 120);
    glClearColor(0.1f, 0.2f, 0.3f, 0.4f);
    r.renderEndpoints = true;
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
    glBindFramebuffer(GL_READ_FRAMEBUFFER, callerFbo);  // the copy fills that viewport alone
    glDeleteFramebuffers(1, &readFbo);
    EXPECT_TRUE(readPixel(10, 10).r == 0.25f && readPixel(125, 100).r == 0.25f);
    EXPECT_EQ(readPixel(22, 32).r, 0.5f);

    auto kind = [](Rgba p) {  // red, green, the grey background, or something else
        if (p.r > p.g + 0.2f && p.r > p.b + 0.2f) return 'r';
        if (p.g > p.r + 0.2f && p.g > p.b + 0.2f) return 'g';
        return shows(p, 0.5f, 0.5f, 0.5f) ? '-' : '?';
    };
    for (auto [root, ends, shown] :
         {std::tuple{0, 0, "--"}, {1, 0, "r-"}, {0, 1, "gg"}, {1, 1, "rg"}}) {
        r.renderRootpoint = root;
        r.renderEndpoints = ends;
        drawFrame();
        EXPECT_EQ(std::string({kind(readPixel(17, 102)), kind(readPixel(182, 102))}), shown);
    }
    EXPECT_GT(readPixel(172, 102).r, 0.2f);  // translucent: the tube shows through
    r.endpoints.clear();  // no endpoint: no sphere whatever the flags, no depth test left on
    r.rootIndex = -1;
    drawFrame();
    EXPECT_EQ(kind(readPixel(17, 102)), '-');
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
}

// Close up on two tubes, most of them out of the window: the G-buffer pass
// draws only the triangles of cells that can reach it, and every attachment
// holds what a draw of every triangle gives, bit for bit. Ortho with the
// contour band; perspective, close to one end, with the contour lines.
TEST_F(FramePasses, GBufferDrawsOnlyWhatCanReachTheWindowAndTheSamePixels) {
    loadParts({tube(-1.5, 1.5, 0.3, Eigen::Vector3d(0.3, 0.2, 1)),
               tube(-1.2, 1.6, 0.5, Eigen::Vector3d(0, -0.3, -1))});
    projection = glm::ortho(-0.2f, 0.2f, 0.3f, 0.7f, 1.0f, 20.0f);
    auto attachments = [&](const MeshFootprint& footprint) {
        drawGBuffer(r, view, projection, ortho, footprint);
        std::vector<float> all(200 * 200 * 13);
        for (int k = 0; k < 3; ++k) {
            glBindTexture(GL_TEXTURE_2D, r.gBuffer->colorTextures[k]);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, &all[200 * 200 * 4 * k]);
        }
        glBindFramebuffer(GL_READ_FRAMEBUFFER, r.gBuffer->fbo);
        glReadPixels(0, 0, 200, 200, GL_DEPTH_COMPONENT, GL_FLOAT, &all[200 * 200 * 12]);
        return all;
    };
    for (int perspective : {0, 1}) {
        MeshFootprint footprint = meshFootprint(r, view, projection);
        int drawn = 0;
        for (const TriangleRange& range : footprint.triangles) drawn += range.count;
        EXPECT_TRUE(drawn > 0 && drawn < r.F.rows() / (perspective ? 1 : 2))
            << drawn << " of " << r.F.rows() << " perspective " << perspective;
        const std::vector<float> culled = attachments(footprint);
        footprint.triangles = {{0, int(r.F.rows())}};
        EXPECT_EQ(culled, attachments(footprint)) << "perspective " << perspective;
        EXPECT_GT(std::count(culled.end() - 200 * 200, culled.end(), 1.0f), 0);
        EXPECT_LT(std::count(culled.end() - 200 * 200, culled.end(), 1.0f), 200 * 200 / 2);
        r.addContours = ortho = false;
        view = glm::lookAt(glm::vec3(1.4, 0.4, 2), glm::vec3(1.4, 0.4, 1), glm::vec3(0, 1, 0));
        projection = glm::perspective(0.5f, 1.0f, 0.05f, 20.0f);
    }
}
