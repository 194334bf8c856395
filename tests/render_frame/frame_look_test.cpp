// What a frame shows: background, contour bands, lighting, the U field
// through the colour map, isolines, V across a vessel, and vessels in front
// of others.
#include <stb_image.h>

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>

#include "frame_fixture.h"
#include "test_meshes.h"

namespace {

// A unit sphere at the origin: 50 pixels of radius about pixel (100, 100).
std::string unitSphereFile() {
    static const std::string path =
        writeOff("sphere.off", uvSphere(Eigen::Vector3d::Zero(), 1.0, 96, 48));
    return path;
}

// A tube along x from -1.5 to 1.5, radius 0.5, with U = x + 1.5.
std::string tubeFile() {
    static const std::string path =
        writeOff("tube.off", cappedTube(0, -1.5, 1.5, 0.5, Eigen::Vector3d::Zero(), 64, 48));
    return path;
}

Eigen::VectorXd uAlongX() {
    return (renderer.V.col(0).array() + 1.5).matrix();
}

// Lengths of the runs of contour-coloured pixels met walking from the
// sphere's centre outward along a direction.
struct ContourRun {
    double start = -1, length = 0;
};
ContourRun contourRun(FrameTest& t, double angle) {
    ContourRun run;
    for (double s = 0; s < 95; s += 0.25) {
        const int px = static_cast<int>(std::floor(100 + s * std::cos(angle)));
        const int py = static_cast<int>(std::floor(100 + s * std::sin(angle)));
        const bool dark = isContourColored(t.pixel(px, py));
        if (dark && run.start < 0) run.start = s;
        if (!dark && run.start >= 0) {
            run.length = s - run.start;
            break;
        }
    }
    return run;
}

// Dark runs along a row of pixels.
int darkRuns(FrameTest& t, int row, int from, int to) {
    int runs = 0;
    bool inRun = false;
    for (int x = from; x < to; ++x) {
        bool dark = t.pixel(x, row).r < 0.8f;  // a line between two pixels shades both
        if (dark && !inRun) ++runs;
        inRun = dark;
    }
    return runs;
}

struct Image {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
    Rgba at(float x) const {
        int i = std::min(w - 1, std::max(0, static_cast<int>(x * (w - 1) + 0.5f)));
        const unsigned char* p = &rgb[3 * (h / 2 * w + i)];
        return {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, 1.0f};
    }
};

Image loadColorMap(const std::string& name) {
    Image img;
    int channels = 0;
    unsigned char* data =
        stbi_load((sourceAssetsDir() + "/textures/" + name).c_str(), &img.w, &img.h, &channels, 3);
    if (data) img.rgb.assign(data, data + img.w * img.h * 3);
    stbi_image_free(data);
    return img;
}

}  // namespace

using FrameLook = FrameTest;

TEST_F(FrameLook, BackgroundAtTheCornersAndTheMeshLitYellowOrPlainWhite) {
    load(unitSphereFile());
    drawFrame();
    for (auto corner : {std::pair{0, 0}, {199, 0}, {0, 199}, {199, 199}}) {
        Rgba p = pixel(corner.first, corner.second);
        EXPECT_NEAR(p.r, 0.5f, 1e-4f);
        EXPECT_NEAR(p.g, 0.5f, 1e-4f);
        EXPECT_NEAR(p.b, 0.5f, 1e-4f);
    }
    // Lit from above and in front: bright yellow, a small white highlight.
    Rgba lit = pixel(100, 100);
    EXPECT_GT(lit.r, 0.6f);
    EXPECT_NEAR(lit.r, lit.g, 1e-3f);
    EXPECT_LT(lit.b, 0.3f);
    // The lower half faces away from the light.
    EXPECT_LT(pixel(100, 60).r, lit.r - 0.2f);

    renderer.useBlinnPhong = false;
    drawFrame();
    for (auto at : {std::pair{100, 100}, {100, 60}, {130, 120}}) {
        Rgba p = pixel(at.first, at.second);
        EXPECT_NEAR(p.r, 1.0f, 1e-4f);
        EXPECT_NEAR(p.g, 1.0f, 1e-4f);
        EXPECT_NEAR(p.b, 1.0f, 1e-4f);
    }

    // A light of zero length lights nothing: the ambient share, never NaN.
    renderer.useBlinnPhong = true;
    renderer.dirLight.direction[1] = renderer.dirLight.direction[2] = 0.0f;
    drawFrame();
    Rgba unlit = pixel(100, 100);
    EXPECT_NEAR(unlit.r, 0.2f, 1e-4f);
    EXPECT_NEAR(unlit.g, 0.2f, 1e-4f);
    EXPECT_NEAR(unlit.b, 0.0f, 1e-4f);
}

TEST_F(FrameLook, ContourBandHasTheSameWidthAllAround) {
    load(unitSphereFile());
    // contourSize = width x meshRadius (sqrt 3) x 0.002 = 0.2 units = 10 pixels.
    renderer.contourWidth = 0.2f / (std::sqrt(3.0f) * 0.002f);
    drawFrame();
    for (int k = 0; k < 16; ++k) {
        ContourRun run = contourRun(*this, 2.0 * M_PI * k / 16 + 0.1);
        EXPECT_NEAR(run.start, 50.0, 1.5) << "direction " << k;
        EXPECT_NEAR(run.length, 10.0, 1.5) << "direction " << k;
    }
    // Seen in perspective from 10 units, the sphere's outline grows by half
    // a percent and the band keeps its width.
    ortho = false;
    projection = glm::perspective(2.0f * std::atan(0.2f), 1.0f, 1.0f, 20.0f);
    drawFrame();
    for (int k = 0; k < 16; ++k) {
        ContourRun run = contourRun(*this, 2.0 * M_PI * k / 16 + 0.1);
        EXPECT_NEAR(run.start, 50.25, 1.5) << "perspective, direction " << k;
        EXPECT_NEAR(run.length, 10.0, 1.5) << "perspective, direction " << k;
    }
}

TEST_F(FrameLook, WithoutContourGeometryASilhouetteLineRemains) {
    load(unitSphereFile());
    renderer.addContours = false;
    renderer.contourWidth = 20.0f;  // has no effect in this variant
    drawFrame();
    for (int k = 0; k < 8; ++k) {
        ContourRun run = contourRun(*this, 2.0 * M_PI * k / 8 + 0.2);
        EXPECT_NEAR(run.start, 49.5, 2.0) << "direction " << k;
        EXPECT_GE(run.length, 0.5) << "direction " << k;
        EXPECT_LE(run.length, 3.0) << "direction " << k;
    }
    Rgba inside = pixel(100, 100);
    EXPECT_GT(inside.r, 0.6f);
}

TEST_F(FrameLook, ScalarFieldColoursFollowU) {
    load(tubeFile());
    setU(uAlongX());
    renderer.scalar_field.enabled = true;
    renderer.useBlinnPhong = false;
    const Image map = loadColorMap("grad_WhBu.jpg");
    ASSERT_GT(map.w, 0);
    for (bool invert : {true, false}) {
        renderer.scalar_field.invert = invert;
        drawFrame();
        for (double x = -1.3; x <= 1.3; x += 0.2) {
            const float u = static_cast<float>((x + 1.5) / 3.0);
            const Rgba expected = map.at(invert ? 1.0f - u : u);
            const Rgba got = pixelAt(x, 0.1);
            EXPECT_NEAR(got.r, expected.r, 0.04f) << "x " << x << " invert " << invert;
            EXPECT_NEAR(got.g, expected.g, 0.04f) << "x " << x << " invert " << invert;
            EXPECT_NEAR(got.b, expected.b, 0.04f) << "x " << x << " invert " << invert;
        }
    }
}

TEST_F(FrameLook, IsolineCountFollowsTheFrequency) {
    load(tubeFile());
    setU(uAlongX());
    renderer.useBlinnPhong = false;
    renderer.isolines.enabled[0] = true;
    // The tube spans pixels 25 to 175; U runs 0 to 1 along it.
    renderer.isolines.freq[0] = 10.0f;
    drawFrame();
    EXPECT_EQ(darkRuns(*this, 110, 28, 172), 9);
    renderer.isolines.freq[0] = 20.0f;
    drawFrame();
    EXPECT_EQ(darkRuns(*this, 110, 28, 172), 19);
    // Lines keep their width in pixels when the view zooms in.
    renderer.isolines.freq[0] = 10.0f;
    renderer.isolines.width[0] = 3.0f;
    projection = glm::ortho(-1.0f, 1.0f, -1.0f, 1.0f, 1.0f, 20.0f);
    drawFrame();
    int dark = 0;
    for (int x = 50; x < 90; ++x) dark += pixel(x, 120).r < 0.8f ? 1 : 0;
    EXPECT_NEAR(dark, 3, 1);  // the one line of this span, at x = -0.3 (pixel 70)

    // A frequency of 0 draws no line at all.
    renderer.isolines.freq[0] = 0.0f;
    drawFrame();
    EXPECT_EQ(darkRuns(*this, 120, 5, 195), 0);
}

TEST_F(FrameLook, VRunsFromTheContourToTheCentreLine) {
    load(tubeFile());
    renderer.contourWidth = 0.04f / (renderer.meshRadius * 0.002f);  // 2 pixels
    renderer.debug_float = 1.0f;                                     // shows V as grey
    drawFrame();
    // Across the tube (radius 25 pixels about row 100): V = distance / 25.
    EXPECT_GT(pixel(100, 100).r, 0.93f);
    for (int d = 3; d <= 21; d += 6) {
        EXPECT_NEAR(pixel(100, 75 + d).r, d / 25.0f, 0.08f) << d;
        EXPECT_NEAR(pixel(100, 124 - d).r, d / 25.0f, 0.08f) << d;
    }
}

TEST_F(FrameLook, AVesselInFrontDoesNotFloodTheOneBehind) {
    // In front: a thin tube along x at z = 1; behind: a wide tube along y at z = -1.
    const TestMesh front = cappedTube(0, -1.5, 1.5, 0.3, Eigen::Vector3d(0, 0, 1), 48, 24);
    const TestMesh back = cappedTube(1, -1.5, 1.5, 0.5, Eigen::Vector3d(0, 0, -1), 48, 24);
    load(writeOff("crossing.off", combine(front, back)));
    renderer.contourWidth = 0.08f / (renderer.meshRadius * 0.002f);  // 4 pixels
    drawFrame();
    // The front tube's contour shows across the back tube.
    EXPECT_TRUE(isContourColored(pixelAt(0.1, 0.33)));
    EXPECT_TRUE(isContourColored(pixelAt(0.1, -0.33)));

    renderer.debug_float = 1.0f;
    drawFrame();
    // On the back tube's centre line, just past the front tube's contour.
    const float aware = pixelAt(0.0, 0.46).r;
    renderer.depthAwareJFA = false;
    drawFrame();
    const float unaware = pixelAt(0.0, 0.46).r;
    EXPECT_GT(aware, 0.85f);
    EXPECT_LT(unaware, 0.4f);
}

TEST_F(FrameLook, HatchingGathersOnTheShadedSide) {
    load(tubeFile());
    setU(uAlongX());
    renderer.hatching.enabled = true;
    renderer.hatching.f = 30.0f;   // a stroke every 5 pixels
    renderer.colorMesh[2] = 1.0f;  // white: strokes are the only dark marks
    // Light from above: the tube's lower half (rows 76 to 99) is in shade.
    auto darkIn = [&](int y0, int y1) {
        int dark = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 40; x < 160; ++x) dark += pixel(x, y).r < 0.3f ? 1 : 0;
        return dark;
    };
    drawFrame();
    const int shaded = darkIn(77, 100), lit = darkIn(100, 123);
    EXPECT_GT(shaded, 200);
    EXPECT_GT(shaded, 3 * lit);
    renderer.hatching.n = 3;  // more layers: denser where darker
    drawFrame();
    EXPECT_GT(darkIn(77, 100), shaded + 50);
}

TEST_F(FrameLook, DecalArrowsPointAlongUAndMoveWithTime) {
    load(tubeFile());
    setU(uAlongX());
    renderer.useBlinnPhong = false;
    renderer.colorMeshPlain[0] = renderer.colorMeshPlain[1] = 0.0f;  // blue tube
    renderer.decals.enabled = true;
    renderer.decals.scale[1] = 1.0f / 3.0f;  // one arrow per unit of x: 50 pixels
    // Arrow fill (white) per column along the tube.
    auto fillColumns = [&] {
        std::vector<int> fill(200, 0);
        for (int x = 0; x < 200; ++x)
            for (int y = 80; y < 120; ++y) fill[x] += pixel(x, y).r > 0.6f ? 1 : 0;
        return fill;
    };
    drawFrame();
    const std::vector<int> still = fillColumns();
    // One arrow spans pixels 137 to 163; its pointed head lies on the side
    // of growing U, its blunt shaft end on the other.
    int first = -1, last = -1;
    for (int x = 120; x < 180; ++x) {
        if (still[x] > 0 && first < 0) first = x;
        if (still[x] > 0) last = x;
    }
    ASSERT_GT(last - first, 15);
    int widest = first;
    for (int x = first; x <= last; ++x)
        if (still[x] > still[widest]) widest = x;
    EXPECT_GT(widest, (first + last) / 2);             // the barbs of the head
    EXPECT_LT(2 * still[last - 1], still[first + 1]);  // the point

    // A tenth of a second moves the arrows 0.05 periods (2.5 pixels) on,
    // towards the tips; two seconds move them one whole period.
    auto shiftOf = [&](const std::vector<int>& moved) {
        int best = 0;
        long bestScore = -1;
        for (int s = -10; s <= 10; ++s) {
            long score = 0;
            for (int x = 40; x < 160; ++x) score += still[x] * moved[x + s];
            if (score > bestScore) bestScore = score, best = s;
        }
        return best;
    };
    renderer.time = 0.1f;
    drawFrame();
    const int shift = shiftOf(fillColumns());
    EXPECT_GE(shift, 2);
    EXPECT_LE(shift, 3);
    renderer.time = 2.0f;
    drawFrame();
    EXPECT_EQ(shiftOf(fillColumns()), 0);
    renderer.decals.animate = false;
    renderer.time = 0.1f;
    drawFrame();
    EXPECT_EQ(shiftOf(fillColumns()), 0);
}
