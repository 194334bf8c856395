// What a frame shows: background, lighting, contour bands, the U field
// through the colour map, isolines, V across a vessel and vessels in front
// of others, hatching and arrow decals.
#include <stb_image.h>

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>

#include "frame_fixture.h"

namespace {

// A unit sphere at the origin: 50 pixels of radius about pixel (100, 100).
std::string sphereFile() {
    static const std::string path = writeOff("sphere.off", unitSphere(96, 48));
    return path;
}

// A tube along x from -1.5 to 1.5 (pixels 25 to 175), radius 0.5.
std::string tubeFile() {
    static const std::string path =
        writeOff("tube.off", tube(0, -1.5, 1.5, 0.5, Eigen::Vector3d::Zero(), 64, 48));
    return path;
}

// The first run of contour-coloured pixels met walking outward from the
// frame's centre: where it starts and how long it is.
std::pair<double, double> contourRun(double angle) {
    double start = -1;
    for (double s = 0; s < 95; s += 0.25) {
        const bool dark = isContourColored(readPixel(static_cast<int>(100 + s * std::cos(angle)),
                                                     static_cast<int>(100 + s * std::sin(angle))));
        if (dark && start < 0) start = s;
        if (!dark && start >= 0) return {start, s - start};
    }
    return {start, 0};
}

// Dark runs along a row of pixels; a line between two pixels shades both.
int darkRuns(int row, int from, int to) {
    int runs = 0;
    for (int x = from; x < to; ++x)
        runs += readPixel(x, row).r < 0.8f && (x == from || readPixel(x - 1, row).r >= 0.8f);
    return runs;
}

}  // namespace

using FrameLook = FrameTest;

TEST_F(FrameLook, BackgroundAtTheCornersAndTheMeshLitYellowOrPlainWhite) {
    load(sphereFile());
    drawFrame();
    for (auto [x, y] : {std::pair{0, 0}, {199, 0}, {0, 199}, {199, 199}}) {
        const Rgba p = readPixel(x, y);
        EXPECT_TRUE(p.r == 0.5f && p.g == 0.5f && p.b == 0.5f) << x << "," << y;
    }
    // Lit from above and in front: yellow, darker on the lower half.
    const Rgba lit = readPixel(100, 100);
    EXPECT_GT(lit.r, 0.6f);
    EXPECT_NEAR(lit.r, lit.g, 1e-3f);
    EXPECT_LT(lit.b, 0.3f);
    EXPECT_LT(readPixel(100, 60).r, lit.r - 0.2f);

    renderer.useBlinnPhong = false;
    drawFrame();
    for (auto [x, y] : {std::pair{100, 100}, {100, 60}, {130, 120}}) {
        const Rgba p = readPixel(x, y);
        EXPECT_TRUE(p.r == 1.0f && p.g == 1.0f && p.b == 1.0f) << x << "," << y;
    }

    // A light of zero length lights nothing: the ambient share, never NaN.
    renderer.useBlinnPhong = true;
    renderer.dirLight.direction[1] = renderer.dirLight.direction[2] = 0.0f;
    drawFrame();
    const Rgba unlit = readPixel(100, 100);
    EXPECT_NEAR(unlit.r + unlit.g, 0.4f, 1e-4f);
    EXPECT_NEAR(unlit.b, 0.0f, 1e-4f);
}

TEST_F(FrameLook, ContourBandsKeepTheirWidthAllAround) {
    load(sphereFile());
    // contourSize = width x meshRadius (1) x 0.002 = 0.2 units = 10 pixels.
    renderer.contourWidth = 0.2f / (renderer.meshRadius * 0.002f);
    struct Case {
        bool geometry, perspective;
        double start, minLength, maxLength;
    };
    // In perspective from 10 units the outline grows by half a percent; the
    // line variant without contour geometry ignores the width.
    for (const Case& c : {Case{true, false, 50.0, 8.5, 11.5}, Case{true, true, 50.25, 8.5, 11.5},
                          Case{false, false, 49.5, 0.5, 3.0}}) {
        renderer.addContours = c.geometry;
        ortho = !c.perspective;
        projection = c.perspective ? glm::perspective(2.0f * std::atan(0.2f), 1.0f, 1.0f, 20.0f)
                                   : glm::ortho(-2.0f, 2.0f, -2.0f, 2.0f, 1.0f, 20.0f);
        drawFrame();
        for (int k = 0; k < 16; ++k) {
            const auto [start, length] = contourRun(2.0 * M_PI * k / 16 + 0.1);
            EXPECT_NEAR(start, c.start, 1.5) << "perspective " << c.perspective << ", " << k;
            EXPECT_TRUE(length >= c.minLength && length <= c.maxLength)
                << length << ", geometry " << c.geometry << ", perspective " << c.perspective;
        }
    }
}

TEST_F(FrameLook, ScalarFieldColoursFollowU) {
    int w = 0, h = 0, channels = 0;
    const std::string mapFile = sourceAssetsDir() + "/textures/" + gradientTextureFiles[0];
    unsigned char* map = stbi_load(mapFile.c_str(), &w, &h, &channels, 3);
    ASSERT_NE(map, nullptr);
    load(tubeFile());
    setUAlongX();
    renderer.scalar_field.enabled = true;
    renderer.useBlinnPhong = false;
    for (bool invert : {true, false}) {
        renderer.scalar_field.invert = invert;
        drawFrame();
        for (double x = -1.3; x <= 1.3; x += 0.2) {
            const double u = (x + 1.5) / 3.0;
            const unsigned char* want =
                map + 3 * (h / 2 * w + std::lround((invert ? 1 - u : u) * (w - 1)));
            const Rgba got = readPixel(static_cast<int>((x + 2.0) * 50), 105);
            EXPECT_LT(
                std::max({std::abs(got.r - want[0] / 255.0f), std::abs(got.g - want[1] / 255.0f),
                          std::abs(got.b - want[2] / 255.0f)}),
                0.04f)
                << "x " << x << " invert " << invert;
        }
    }
    stbi_image_free(map);
}

TEST_F(FrameLook, IsolineCountFollowsTheFrequency) {
    load(tubeFile());
    setUAlongX();
    renderer.useBlinnPhong = false;
    renderer.isolines.enabled[0] = true;
    for (int freq : {10, 20}) {
        renderer.isolines.freq[0] = static_cast<float>(freq);
        drawFrame();
        EXPECT_EQ(darkRuns(110, 28, 172), freq - 1);
    }
    // Lines keep their width in pixels when the view zooms in: the one line
    // of this span lies at x = -0.3 (pixel 70).
    renderer.isolines.freq[0] = 10.0f;
    renderer.isolines.width[0] = 3.0f;
    projection = glm::ortho(-1.0f, 1.0f, -1.0f, 1.0f, 1.0f, 20.0f);
    drawFrame();
    int dark = 0;
    for (int x = 50; x < 90; ++x) dark += readPixel(x, 120).r < 0.8f;
    EXPECT_NEAR(dark, 3, 1);
    // A frequency of 0 draws no line at all.
    renderer.isolines.freq[0] = 0.0f;
    drawFrame();
    EXPECT_EQ(darkRuns(120, 5, 195), 0);
}

TEST_F(FrameLook, VRunsFromTheContourToTheCentreLineAndStopsAtVesselsInFront) {
    load(tubeFile());
    renderer.contourWidth = 0.04f / (renderer.meshRadius * 0.002f);  // 2 pixels
    renderer.debug_float = 1.0f;                                     // shows V as grey
    drawFrame();
    // Across the tube (radius 25 pixels about row 100): V = distance / 25.
    EXPECT_GT(readPixel(100, 100).r, 0.93f);
    for (int d = 3; d <= 21; d += 6) {
        EXPECT_NEAR(readPixel(100, 75 + d).r, d / 25.0f, 0.08f) << d;
        EXPECT_NEAR(readPixel(100, 124 - d).r, d / 25.0f, 0.08f) << d;
    }

    // A thin tube along x in front of a wide one along y.
    load(writeOff("crossing.off",
                  combine(tube(0, -1.5, 1.5, 0.3, Eigen::Vector3d(0, 0, 1), 48, 24),
                          tube(1, -1.5, 1.5, 0.5, Eigen::Vector3d(0, 0, -1), 48, 24))));
    renderer.contourWidth = 0.08f / (renderer.meshRadius * 0.002f);  // 4 pixels
    renderer.debug_float = 0.0f;
    drawFrame();
    // The front tube's contour shows across the back tube.
    EXPECT_TRUE(isContourColored(pixelAt(0.1, 0.33)) && isContourColored(pixelAt(0.1, -0.33)));
    // On the back tube's centre line just past the front tube's contour, V
    // stays high unless the flood ignores depth.
    renderer.debug_float = 1.0f;
    drawFrame();
    EXPECT_GT(pixelAt(0.0, 0.46).r, 0.85f);
    renderer.depthAwareJFA = false;
    drawFrame();
    EXPECT_LT(pixelAt(0.0, 0.46).r, 0.4f);
}
