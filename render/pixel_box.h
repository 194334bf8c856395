#pragma once
// Where a frame's full-screen passes need to shade. The mesh, its contour
// band and the band's soft fringe cover only part of the window; the flood
// and the composition are scissored to a box around them, and outside it
// the frame shows the background colour alone.

#include <glm/glm.hpp>

#include "render/renderer.h"

// A rectangle of window pixels: lower-left corner x, y, then width and height.
struct PixelBox {
    int x = 0, y = 0, width = 0, height = 0;
};

// The pixels that the mesh and its contour can touch: the mesh's bounding
// box, grown by the contour band's reach, seen through view and projection,
// grown by a few pixels for the fringe and rounding, and cut to the viewport
// (width by height). The whole viewport when a corner lies behind a
// perspective eye; empty without a mesh.
PixelBox meshPixelBox(const Renderer& r, const glm::mat4& view, const glm::mat4& projection);

// The scissor rectangle of the box.
void scissorTo(const PixelBox& box);
