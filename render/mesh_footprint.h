#pragma once
// Where a frame's full-screen passes need to shade. The mesh, its contour
// band and the band's soft fringe cover only part of the window: the window
// is cut into strips of rows, and each pass draws in each strip only between
// the leftmost and the rightmost pixel that the mesh can reach there. Outside
// the strips the frame shows the background colour alone.
//
// The reach is bounded conservatively from a coarse partition of the mesh
// (the cells below), computed once per mesh, so that a frame costs no more
// than a few thousand projected corners, whatever the vertex count.

#include <glm/glm.hpp>
#include <vector>

#include "render/renderer.h"

// A rectangle of window pixels: lower-left corner x, y, then width and height.
struct PixelBox {
    int x = 0, y = 0, width = 0, height = 0;
};

// The box of each cell of a grid over the mesh (16 cells along its longest
// side), holding every triangle whose centroid falls in the cell: together
// they cover every triangle. Corners in the mesh file's coordinates; empty
// cells are left out. The runs cover the triangles of F in their order.
void computeMeshCells(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F,
                      std::vector<MeshCell>& cells, std::vector<MeshRun>& runs);

// Triangles of the index buffer, from `first` on, `count` of them.
struct TriangleRange {
    int first = 0, count = 0;
};

struct MeshFootprint {
    PixelBox box;                  // bounds every strip
    std::vector<PixelBox> strips;  // bottom to top, none empty; rows without reach left out
    // The strips four by four, each as wide as its widest: for the flood
    // steps, where a draw costs more than the pixels it adds (they are
    // depth-tested away unless drawn).
    std::vector<PixelBox> coarseStrips;
    // The runs of the cells that can reach the window, in the index
    // buffer's order (neighbours joined across short gaps): the G-buffer
    // pass draws only these, and so gives every pixel the same values as a
    // draw of every triangle.
    std::vector<TriangleRange> triangles;
};

// The footprint of the mesh's cells, grown by the contour band's reach, seen
// through view and projection, grown by a few pixels for the fringe and
// rounding, and cut to the viewport (Renderer::width by height). A cell with a
// corner behind a perspective eye widens its rows to the whole width. Empty
// without a mesh.
MeshFootprint meshFootprint(const Renderer& r, const glm::mat4& view, const glm::mat4& projection);

// The full-screen draw of the current program in every strip, scissored;
// the scissor test is off again afterwards.
void drawFullScreenInStrips(const Renderer& r, const std::vector<PixelBox>& strips);

// Clears colour buffer `drawBuffer` of the bound framebuffer in every coarse
// strip (which hold the strips).
void clearInStrips(const MeshFootprint& footprint, int drawBuffer, const float* rgba);

// Clears colour buffer `drawBuffer` of the bound framebuffer in the box.
void clearInBox(const MeshFootprint& footprint, int drawBuffer, const float* rgba);
