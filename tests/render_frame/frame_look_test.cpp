// What a frame shows: background, lighting, contour bands, the U field
// through the colour map and as isolines, and V across a vessel. The scenes: a
// unit sphere at the origin (50 pixels of radius about pixel (100, 100)) and a
// tube along x from -1.5 to 1.5 (pixels 25 to 175) of radius 0.5 (25 pixels
// about row 100).
#include "frame_fixture.h"

using FrameLook = FrameTest;

TEST_F(FrameLook, SphereLitYellowOrPlainWhiteInsideAnEvenContourBand) {
    loadParts({unitSphere(96, 48)});
    drawFrame();
    for (auto [x, y] : {std::pair{0, 0}, {199, 0}, {0, 199}, {199, 199}})
        EXPECT_TRUE(shows(readPixel(x, y), 0.5f, 0.5f, 0.5f)) << "background " << x << "," << y;
    // Lit from above and in front: yellow, darker on the lower half.
    const Rgba lit = readPixel(100, 100);
    EXPECT_TRUE(lit.r > 0.6f && std::abs(lit.r - lit.g) < 1e-3f && lit.b < 0.3f);
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

    // contourSize = width x meshRadius (1) x 0.002 = 0.2 units = 10 pixels.
    // Contour geometry or lines, perspective, where the band starts and its
    // length range. In perspective from 10 units the outline grows by half a
    // percent; the line variant ignores the width.
    r.contourWidth = 0.2f / (r.meshRadius * 0.002f);
    for (auto [geometry, perspective, start, minLength, maxLength] :
         {std::tuple{true, false, 50.0, 8.5, 11.5},
          {true, true, 50.25, 8.5, 11.5},
          {false, false, 49.5, 0.5, 3.0}}) {
        r.addContours = geometry;
        ortho = !perspective;
        if (perspective) projection = glm::perspective(2.0f * std::atan(0.2f), 1.0f, 1.0f, 20.0f);
        drawFrame();
        for (double angle = 0.1; angle < 2 * M_PI; angle += M_PI / 8) {
            // The first run of dark pixels walking outward from the centre.
            double from = -1, s = 0;
            for (; s < 95; s += 0.25) {
                const bool dark =
                    shows(readPixel(int(100 + s * std::cos(angle)), int(100 + s * std::sin(angle))),
                          0.0f, 0.0f, 0.0f, 0.05f);
                if (dark && from < 0) from = s;
                if (!dark && from >= 0) break;
            }
            EXPECT_NEAR(from, start, 1.5) << "perspective " << perspective << ", " << angle;
            EXPECT_TRUE(s - from >= minLength && s - from <= maxLength)
                << s - from << ", geometry " << geometry << ", perspective " << perspective;
        }
        projection = glm::ortho(-2.0f, 2.0f, -2.0f, 2.0f, 1.0f, 20.0f);
    }
}

TEST_F(FrameLook, UAlongTheVesselAndVAcrossIt) {
    loadParts({tube(-1.5, 1.5, 0.5, 64, 48)});
    r.paramU = (r.V.col(0).array() + 1.5).matrix();  // 0 to 3 along the tube
    r.hasU = true;
    r.maxU = 3.0;
    glBindBuffer(GL_ARRAY_BUFFER, r.paramVbo);
    r.uploadParameters();
    r.useBlinnPhong = false;
    r.scalar_field.enabled = true;
    unsigned char map[256 * 3] = {};  // a middle row of the colour map (256 by 8)
    glGetTextureSubImage(r.gradientTextureId, 0, 0, 4, 0, 256, 1, 1, GL_RGB, GL_UNSIGNED_BYTE,
                         sizeof map, map);
    for (bool invert : {true, false}) {
        r.scalar_field.invert = invert;
        drawFrame();
        for (double x = -1.3; x <= 1.3; x += 0.2) {
            const double u = (x + 1.5) / 3.0;
            const unsigned char* want = map + 3 * std::lround((invert ? 1 - u : u) * 255);
            EXPECT_TRUE(
                shows(pixelAt(x, 0.1), want[0] / 255.0f, want[1] / 255.0f, want[2] / 255.0f, 0.04f))
                << "x " << x << " invert " << invert;
        }
    }

    // Isolines of U: frequency - 1 dark runs along a row inside the tube.
    r.scalar_field.enabled = false;
    r.isolines.enabled[0] = true;
    for (int freq : {10, 20, 0}) {  // a frequency of 0 draws no line at all
        r.isolines.freq[0] = static_cast<float>(freq);
        drawFrame();
        int runs = 0;  // a line between two pixels shades both
        for (int x = 28; x < 172; ++x)
            runs += readPixel(x, 110).r < 0.8f && (x == 28 || readPixel(x - 1, 110).r >= 0.8f);
        EXPECT_EQ(runs, std::max(freq - 1, 0)) << freq;
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
