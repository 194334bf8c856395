// What a frame shows: background, lighting, contour bands, the U field
// through the colour map and as isolines, and V across a vessel. The scenes: a unit
// sphere at the origin (50 pixels of radius about pixel (100, 100)) and a
// tube along x from -1.5 to 1.5 (pixels 25 to 175) of radius 0.5 (25 pixels
// about row 100).
#include <stb_image.h>

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <tuple>

#include "frame_fixture.h"

namespace {

// The first run of contour-coloured pixels met walking outward from the
// frame's centre: where it starts and how long it is.
std::pair<double, double> contourRun(double angle) {
    double start = -1;
    for (double s = 0; s < 95; s += 0.25) {
        const bool dark = shows(readPixel(static_cast<int>(100 + s * std::cos(angle)),
                                          static_cast<int>(100 + s * std::sin(angle))),
                                0.0f, 0.0f, 0.0f, 0.05f);
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
    load(writeOff("sphere.off", {unitSphere(96, 48)}));
    drawFrame();
    for (auto [x, y] : {std::pair{0, 0}, {199, 0}, {0, 199}, {199, 199}})
        EXPECT_TRUE(shows(readPixel(x, y), 0.5f, 0.5f, 0.5f)) << x << "," << y;
    // Lit from above and in front: yellow, darker on the lower half.
    const Rgba lit = readPixel(100, 100);
    EXPECT_GT(lit.r, 0.6f);
    EXPECT_NEAR(lit.r, lit.g, 1e-3f);
    EXPECT_LT(lit.b, 0.3f);
    EXPECT_LT(readPixel(100, 60).r, lit.r - 0.2f);

    r.useBlinnPhong = false;
    drawFrame();
    for (auto [x, y] : {std::pair{100, 100}, {100, 60}, {130, 120}})
        EXPECT_TRUE(shows(readPixel(x, y), 1.0f, 1.0f, 1.0f)) << x << "," << y;

    // A light of zero length lights nothing: the ambient share, never NaN.
    r.useBlinnPhong = true;
    r.dirLight.direction[1] = r.dirLight.direction[2] = 0.0f;
    drawFrame();
    EXPECT_TRUE(shows(readPixel(100, 100), 0.2f, 0.2f, 0.0f));
}

TEST_F(FrameLook, ContourBandsKeepTheirWidthAllAround) {
    load(writeOff("sphere.off", {unitSphere(96, 48)}));
    // contourSize = width x meshRadius (1) x 0.002 = 0.2 units = 10 pixels.
    r.contourWidth = 0.2f / (r.meshRadius * 0.002f);
    // Contour geometry or lines, perspective, where the band starts and how
    // long it is. In perspective from 10 units the outline grows by half a
    // percent; the line variant ignores the width.
    for (auto [geometry, perspective, start, minLength, maxLength] :
         {std::tuple{true, false, 50.0, 8.5, 11.5},
          {true, true, 50.25, 8.5, 11.5},
          {false, false, 49.5, 0.5, 3.0}}) {
        r.addContours = geometry;
        ortho = !perspective;
        projection = perspective ? glm::perspective(2.0f * std::atan(0.2f), 1.0f, 1.0f, 20.0f)
                                 : glm::ortho(-2.0f, 2.0f, -2.0f, 2.0f, 1.0f, 20.0f);
        drawFrame();
        for (int k = 0; k < 16; ++k) {
            const auto [from, length] = contourRun(2.0 * M_PI * k / 16 + 0.1);
            EXPECT_NEAR(from, start, 1.5) << "perspective " << perspective << ", " << k;
            EXPECT_TRUE(length >= minLength && length <= maxLength)
                << length << ", geometry " << geometry << ", perspective " << perspective;
        }
    }
}

TEST_F(FrameLook, UAlongTheVesselAndVAcrossIt) {
    load(writeOff("tube.off", {tube(-1.5, 1.5, 0.5, 64, 48)}));
    // U through the colour map, read here from its file.
    int w = 0, h = 0, channels = 0;
    const std::string mapFile = sourceAssetsDir() + "/textures/" + gradientTextureFiles[0];
    unsigned char* map = stbi_load(mapFile.c_str(), &w, &h, &channels, 3);
    ASSERT_NE(map, nullptr);
    r.paramU = (r.V.col(0).array() + 1.5).matrix();  // 0 to 3 along the tube
    r.hasU = true;
    r.maxU = 3.0;
    glBindBuffer(GL_ARRAY_BUFFER, r.paramVbo);
    r.uploadParameters();
    r.useBlinnPhong = false;
    r.scalar_field.enabled = true;
    for (bool invert : {true, false}) {
        r.scalar_field.invert = invert;
        drawFrame();
        for (double x = -1.3; x <= 1.3; x += 0.2) {
            const double u = (x + 1.5) / 3.0;
            const unsigned char* want =
                map + 3 * (h / 2 * w + std::lround((invert ? 1 - u : u) * (w - 1)));
            EXPECT_TRUE(
                shows(pixelAt(x, 0.1), want[0] / 255.0f, want[1] / 255.0f, want[2] / 255.0f, 0.04f))
                << "x " << x << " invert " << invert;
        }
    }
    stbi_image_free(map);

    // Isolines of U: frequency - 1 of them inside the tube.
    r.scalar_field.enabled = false;
    r.isolines.enabled[0] = true;
    for (int freq : {10, 20, 0}) {  // a frequency of 0 draws no line at all
        r.isolines.freq[0] = static_cast<float>(freq);
        drawFrame();
        EXPECT_EQ(darkRuns(110, 28, 172), std::max(freq - 1, 0)) << freq;
    }

    // V across the tube, shown as grey under a contour band of 2 pixels.
    r.contourWidth = 0.04f / (r.meshRadius * 0.002f);
    r.debug_float = 1.0f;
    drawFrame();
    // Radius 25 pixels about row 100: V = distance from the contour / 25.
    EXPECT_GT(readPixel(100, 100).r, 0.93f);
    for (int d = 3; d <= 21; d += 6) {
        EXPECT_NEAR(readPixel(100, 75 + d).r, d / 25.0f, 0.08f) << d;
        EXPECT_NEAR(readPixel(100, 124 - d).r, d / 25.0f, 0.08f) << d;
    }
}
