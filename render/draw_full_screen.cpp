#include "render/draw_passes.h"

void drawFullScreen(const Renderer& r) {
    glBindVertexArray(r.emptyVao);
    glDrawArraysInstanced(GL_TRIANGLES, 0, 3, 2);
    glBindVertexArray(0);
}
