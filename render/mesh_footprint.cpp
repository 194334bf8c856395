#include "render/mesh_footprint.h"

#include <algorithm>
#include <cmath>

#include "render/draw_passes.h"

namespace {

// Beyond the projected cells: the fringe beside a contour (1.5 pixels), a
// silhouette line's rasterisation, and rounding.
constexpr int fringePixels = 3;
// Rows per strip: short enough to follow branches, few enough draws.
constexpr int stripRows = 16;
// Cells along the mesh's longest side.
constexpr int cellsPerSide = 16;
// Triangles out of view drawn rather than split a draw: a draw costs about
// as much as this many triangles in the geometry stage, and those give no
// pixel in the window.
constexpr int joinedGap = 64;

}  // namespace

void computeMeshCells(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F,
                      std::vector<MeshCell>& cells, std::vector<MeshRun>& runs) {
    cells.clear();
    runs.clear();
    if (V.rows() == 0 || F.rows() == 0) return;
    const Eigen::RowVector3d lo = V.colwise().minCoeff(), hi = V.colwise().maxCoeff();
    const double side = (hi - lo).maxCoeff() / cellsPerSide;
    int dims[3];
    for (int k = 0; k < 3; ++k)
        dims[k] =
            side > 0.0 ? std::clamp(int(std::ceil((hi(k) - lo(k)) / side)), 1, cellsPerSide) : 1;
    std::vector<MeshCell> grid(
        size_t(dims[0]) * dims[1] * dims[2],
        MeshCell{{INFINITY, INFINITY, INFINITY}, {-INFINITY, -INFINITY, -INFINITY}});
    std::vector<bool> used(grid.size(), false);
    for (Eigen::Index f = 0; f < F.rows(); ++f) {
        const Eigen::RowVector3d centroid =
            (V.row(F(f, 0)) + V.row(F(f, 1)) + V.row(F(f, 2))) / 3.0;
        size_t index = 0;
        for (int k = 2; k >= 0; --k) {
            // A non-finite corner lands in the first cell, whose box then
            // spans everything (projected, it fills the window).
            const double t = side > 0.0 ? (centroid(k) - lo(k)) / side : 0.0;
            const int at = std::isfinite(t) ? std::clamp(int(t), 0, dims[k] - 1) : 0;
            index = index * dims[k] + at;
        }
        MeshCell& cell = grid[index];
        used[index] = true;
        if (!runs.empty() && runs.back().cell == int(index))
            ++runs.back().count;
        else
            runs.push_back(MeshRun{int(f), 1, int(index)});
        for (int corner = 0; corner < 3; ++corner)
            for (int k = 0; k < 3; ++k) {
                const float v = static_cast<float>(V(F(f, corner), k));
                cell.lo[k] = std::isfinite(v) ? std::min(cell.lo[k], v) : -INFINITY;
                cell.hi[k] = std::isfinite(v) ? std::max(cell.hi[k], v) : INFINITY;
            }
    }
    // Runs name their cell by its place among the cells kept.
    std::vector<int> kept(grid.size(), -1);
    for (size_t i = 0; i < grid.size(); ++i)
        if (used[i]) {
            kept[i] = int(cells.size());
            cells.push_back(grid[i]);
        }
    for (MeshRun& run : runs) run.cell = kept[run.cell];
}

MeshFootprint meshFootprint(const Renderer& r, const glm::mat4& view, const glm::mat4& projection) {
    MeshFootprint footprint;
    if (r.F.rows() == 0 || r.width <= 0 || r.height <= 0) return footprint;
    const int strips = (r.height + stripRows - 1) / stripRows;
    // Per strip, the reach in x: [left, right), empty while left >= right.
    std::vector<int> left(strips, r.width), right(strips, 0);

    // The band reaches 1.5 contour sizes from the surface (half towards the
    // eye, one outward): each cell grows by that in view space.
    const glm::mat4 modelView = view * r.modelMatrix;
    const float reach = 1.5f * contourSize(r);
    std::vector<bool> inView(r.meshCells.size(), false);
    for (size_t c = 0; c < r.meshCells.size(); ++c) {
        const MeshCell& cell = r.meshCells[c];
        glm::vec3 lo(INFINITY), hi(-INFINITY);
        for (int corner = 0; corner < 8; ++corner) {
            const glm::vec3 q(modelView * glm::vec4(corner & 1 ? cell.hi[0] : cell.lo[0],
                                                    corner & 2 ? cell.hi[1] : cell.lo[1],
                                                    corner & 4 ? cell.hi[2] : cell.lo[2], 1.0f));
            lo = glm::min(lo, q);
            hi = glm::max(hi, q);
        }
        lo -= reach;
        hi += reach;
        float x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
        bool whole = false;
        for (int corner = 0; corner < 8 && !whole; ++corner) {
            const glm::vec4 c =
                projection * glm::vec4(corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y,
                                       corner & 4 ? hi.z : lo.z, 1.0f);
            whole = !(c.w > 0.0f);  // behind the eye: no bound on screen
            const float x = (c.x / c.w * 0.5f + 0.5f) * r.width;
            const float y = (c.y / c.w * 0.5f + 0.5f) * r.height;
            x0 = std::min(x0, x), x1 = std::max(x1, x);
            y0 = std::min(y0, y), y1 = std::max(y1, y);
        }
        if (whole || !std::isfinite(x0 + x1 + y0 + y1)) x0 = y0 = -INFINITY, x1 = y1 = INFINITY;
        // Clamped in float: a huge box must not overflow the int conversion.
        auto pixel = [](float v, int limit) {
            return static_cast<int>(std::clamp(v, 0.0f, static_cast<float>(limit)));
        };
        const int px0 = pixel(std::floor(x0) - fringePixels, r.width);
        const int px1 = pixel(std::ceil(x1) + fringePixels, r.width);
        const int py0 = pixel(std::floor(y0) - fringePixels, r.height);
        const int py1 = pixel(std::ceil(y1) + fringePixels, r.height);
        if (px0 >= px1 || py0 >= py1) continue;
        inView[c] = true;
        for (int s = py0 / stripRows; s <= (py1 - 1) / stripRows; ++s) {
            left[s] = std::min(left[s], px0);
            right[s] = std::max(right[s], px1);
        }
    }

    int boxLeft = r.width, boxRight = 0;
    for (int s = 0; s < strips; ++s) {
        if (left[s] >= right[s]) continue;
        const int y = s * stripRows, rows = std::min(stripRows, r.height - y);
        footprint.strips.push_back(PixelBox{left[s], y, right[s] - left[s], rows});
        boxLeft = std::min(boxLeft, left[s]);
        boxRight = std::max(boxRight, right[s]);
        std::vector<PixelBox>& coarse = footprint.coarseStrips;
        const PixelBox& strip = footprint.strips.back();
        if (coarse.empty() || coarse.back().y / (4 * stripRows) != s / 4) {
            coarse.push_back(strip);
        } else {  // widen the group's rectangle to this strip
            PixelBox& group = coarse.back();
            const int x1 = std::max(group.x + group.width, strip.x + strip.width);
            group.x = std::min(group.x, strip.x);
            group.width = x1 - group.x;
            group.height = strip.y + strip.height - group.y;
        }
    }
    for (const MeshRun& run : r.meshRuns) {
        if (!inView[run.cell]) continue;
        std::vector<TriangleRange>& ranges = footprint.triangles;
        if (!ranges.empty() && run.first - (ranges.back().first + ranges.back().count) <= joinedGap)
            ranges.back().count = run.first + run.count - ranges.back().first;
        else
            ranges.push_back(TriangleRange{run.first, run.count});
    }
    if (!footprint.strips.empty()) {
        const PixelBox& bottom = footprint.strips.front();
        const PixelBox& top = footprint.strips.back();
        footprint.box = {boxLeft, bottom.y, boxRight - boxLeft, top.y + top.height - bottom.y};
    }
    return footprint;
}

void drawFullScreenInStrips(const Renderer& r, const std::vector<PixelBox>& strips) {
    glEnable(GL_SCISSOR_TEST);
    for (const PixelBox& strip : strips) {
        glScissor(strip.x, strip.y, strip.width, strip.height);
        drawFullScreen(r);
    }
    glDisable(GL_SCISSOR_TEST);
}

void clearInStrips(const MeshFootprint& footprint, int drawBuffer, const float* rgba) {
    glEnable(GL_SCISSOR_TEST);
    for (const PixelBox& strip : footprint.coarseStrips) {
        glScissor(strip.x, strip.y, strip.width, strip.height);
        glClearBufferfv(GL_COLOR, drawBuffer, rgba);
    }
    glDisable(GL_SCISSOR_TEST);
}

void clearInBox(const MeshFootprint& footprint, int drawBuffer, const float* rgba) {
    const PixelBox& box = footprint.box;
    glEnable(GL_SCISSOR_TEST);
    glScissor(box.x, box.y, box.width, box.height);
    glClearBufferfv(GL_COLOR, drawBuffer, rgba);
    glDisable(GL_SCISSOR_TEST);
}
