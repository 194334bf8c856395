#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>

#include "render_scene.h"

using FrameLook = RenderScene;

// A unit sphere: radius 50 pixels about pixel (100, 100).
TEST_F(FrameLook, SphereLitYellowOrPlainWhiteInsideAnEvenContourBand) {
    loadParts({unitSphere()});
    drawFrame();
    EXPECT_TRUE(shows(readPixel(0, 199), 0.5f, 0.5f, 0.5f) &&
                shows(readPixel(199, 0), .5f, .5f, .5f));
    const Rgba lit = readPixel(100, 100);
    EXPECT_TRUE(lit.r > 0.6f && std::abs(lit.r - lit.g) < 1e-3f && lit.b < 0.3f);
    EXPECT_LT(readPixel(100, 60).r, lit.r - 0.2f);
    r.useBlinnPhong = false;
    drawFrame();
    EXPECT_TRUE(shows(readPixel(100, 60), 1.0f, 1.0f, 1.0f));
    r.useBlinnPhong = true;  // a light of zero length gives the ambient share, not NaN
    r.dirLight.direction[1] = r.dirLight.direction[2] = 0.0f;
    drawFrame();
    EXPECT_TRUE(shows(readPixel(100, 100), 0.2f, 0.2f, 0.0f));
    // A band of 0.2 units, 10 pixels, found as the first dark run out from the
    // centre; the perspective outline grows by half a percent; lines ignore it.
    r.contourWidth = 0.2f / (r.meshRadius * 0.002f);
    for (auto [geometry, perspective, start, minLength, maxLength] :
         {std::tuple{true, false, 50.0, 8.5, 11.5},
          {true, true, 50.25, 8.5, 11.5},
          {false, false, 49.5, 0.5, 3.0}}) {
        r.addContours = geometry;
        ortho = !perspective;
        projection = perspective ? glm::perspective(2.0f * std::atan(0.2f), 1.0f, 1.0f, 20.0f)
                                 : glm::ortho(-2.0f, 2.0f, -2.0f, 2.0f, 1.0f, 20.0f);
        drawFrame();
        for (double angle = 0.1; angle < 2 * M_PI; angle += M_PI / 8) {
            double from = -1, s = 0;
            for (; s < 95; s += 0.25) {
                const bool dark =
                    shows(readPixel(int(100 + s * cos(angle)), int(100 + s * sin(angle))), 0, 0, 0,
                          0.05f);
                if (dark && from < 0) from = s;
                if (!dark && from >= 0) break;
            }
            EXPECT_NEAR(from, start, 1.5) << "perspective " << perspective << ", " << angle;
            EXPECT_TRUE(s - from >= minLength && s - from <= maxLength)
                << s - from << ", " << geometry;
        }
    }
}

// Every effect on a thin capped vessel in front of a wide open one, against
// the pictures of when every pass shaded every pixel (MORVIK_WRITE_REFERENCE=1
// rewrites them): the flood no longer runs through the background, so a few
// pixels may move.
TEST_F(FrameLook, EveryEffectStaysWithinABoundOfTheReferencePictures) {
    const int w = 96, h = 72;
    setSize(w, h);
    loadParts({tube(-1.5, 1.5, 0.3, Eigen::Vector3d(0, 0.2, 1)),
               tube(-1.3, 1.6, 0.6, Eigen::Vector3d(0.1, -0.3, -1), true)});
    r.paramU = (r.V.col(0).array() + 1.5).matrix();  // U from 0 to 3 along x
    r.maxU = 3.0;
    glBindBuffer(GL_ARRAY_BUFFER, r.paramVbo);
    r.hasU = r.scalar_field.enabled = r.hatching.enabled = r.decals.enabled = true;
    r.uploadParameters();
    r.isolines.enabled[0] = r.isolines.enabled[1] = true;
    r.isolines.freq[0] = 20.0f;
    r.time = 1.25f;
    view = glm::lookAt(glm::vec3(0, 0, 10), glm::vec3(0), glm::vec3(1, 0, 0));  // vessels upright
    // The second view (perspective, contour lines) has the eye in the front vessel's box.
    for (const char* name : {"reference_ortho.png", "reference_inside.png"}) {
        drawFrame();
        std::vector<unsigned char> rgb(w * h * 3);  // 96 x 3 bytes: rows stay 4-aligned
        glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        const std::string path = MORVIK_SOURCE_DIR "/tests/render_frame/data/" + std::string(name);
        if (std::getenv("MORVIK_WRITE_REFERENCE"))
            stbi_write_png(path.c_str(), w, h, 3, rgb.data(), w * 3);
        int fileW = 0, fileH = 0, n = 0;
        unsigned char* want = stbi_load(path.c_str(), &fileW, &fileH, &n, 3);
        ASSERT_TRUE(want && fileW == w && fileH == h) << path;
        int moved = 0, largest = 0;
        for (int i = 0; i < w * h; ++i) {
            int d = 0;
            for (int k = 0; k < 3; ++k) d = std::max(d, std::abs(rgb[3 * i + k] - want[3 * i + k]));
            moved += d > 1;
            largest = std::max(largest, d);
        }
        stbi_image_free(want);
        EXPECT_LE(moved, w * h / 200) << name;  // half a percent
        EXPECT_LE(largest, 160) << name;
        r.addContours = ortho = r.scalar_field.invert = false;
        r.isolines.freq[1] = 0.0f;  // draws no line at all
        view = glm::lookAt(glm::vec3(0.5, -0.4, 1.0), glm::vec3(0, -0.3, -1), glm::vec3(0, 1, 0));
        projection = glm::perspective(1.2f, float(w) / h, 0.05f, 20.0f);
    }
}
