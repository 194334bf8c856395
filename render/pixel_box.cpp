#include "render/pixel_box.h"

#include <algorithm>
#include <cmath>

#include "render/draw_passes.h"

namespace {

// Beyond the projected box: the fringe beside a contour (1.5 pixels), a
// silhouette line's rasterisation, and rounding.
constexpr int fringePixels = 3;

}  // namespace

PixelBox meshPixelBox(const Renderer& r, const glm::mat4& view, const glm::mat4& projection) {
    PixelBox whole{0, 0, r.width, r.height};
    if (r.F.rows() == 0) return PixelBox{};

    // The band reaches 1.5 contour sizes from the surface (half towards the
    // eye, one outward): grow the box by that in view space, where it is
    // measured.
    const glm::mat4 modelView = view * r.modelMatrix;
    glm::vec3 lo(INFINITY), hi(-INFINITY);
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec4 p(corner & 1 ? r.meshBoxMax[0] : r.meshBoxMin[0],
                          corner & 2 ? r.meshBoxMax[1] : r.meshBoxMin[1],
                          corner & 4 ? r.meshBoxMax[2] : r.meshBoxMin[2], 1.0f);
        const glm::vec3 q(modelView * p);
        lo = glm::min(lo, q);
        hi = glm::max(hi, q);
    }
    const float reach = 1.5f * contourSize(r);
    lo -= reach;
    hi += reach;

    float xMin = INFINITY, yMin = INFINITY, xMax = -INFINITY, yMax = -INFINITY;
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec4 c =
            projection * glm::vec4(corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y,
                                   corner & 4 ? hi.z : lo.z, 1.0f);
        if (!(c.w > 0.0f)) return whole;  // behind the eye: no bound on screen
        const float x = (c.x / c.w * 0.5f + 0.5f) * r.width;
        const float y = (c.y / c.w * 0.5f + 0.5f) * r.height;
        xMin = std::min(xMin, x);
        xMax = std::max(xMax, x);
        yMin = std::min(yMin, y);
        yMax = std::max(yMax, y);
    }
    if (!std::isfinite(xMin + xMax + yMin + yMax)) return whole;
    // Clamped in float: a huge box must not overflow the int conversion.
    auto pixel = [](float v, int limit) {
        return static_cast<int>(std::clamp(v, 0.0f, static_cast<float>(limit)));
    };
    const int x0 = pixel(std::floor(xMin) - fringePixels, r.width);
    const int x1 = pixel(std::ceil(xMax) + fringePixels, r.width);
    const int y0 = pixel(std::floor(yMin) - fringePixels, r.height);
    const int y1 = pixel(std::ceil(yMax) + fringePixels, r.height);
    return PixelBox{x0, y0, x1 - x0, y1 - y0};
}

void scissorTo(const PixelBox& box) {
    glScissor(box.x, box.y, box.width, box.height);
}
