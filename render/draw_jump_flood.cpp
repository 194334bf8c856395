// The jump flood: the G-buffer's seeds spread over the screen in halving
// steps; the last step turns them into the distance to the contour and the
// vessel's half width (the V texture).
#include <cmath>

#include "render/draw_passes.h"
#include "render/framebuffer.h"
#include "render/uniforms.h"

int jumpFloodStepCount(int width, int height) {
    const double m = width > height ? width : height;
    return static_cast<int>(std::ceil(std::log2(m)));
}

namespace {

// Whether any effect of the composition reads V (final.frag): without one
// the V step skips its march.
bool vWanted(const Renderer& r) {
    return r.hatching.enabled || r.isolines.enabled[1] || r.decals.enabled || r.debug_float > 0.0f;
}

}  // namespace

void beginJumpFlood(Renderer& r, const MeshFootprint& footprint) {
    glUseProgram(r.programs[Renderer::JFA]->programId);
    // Within the footprint's box, where the steps read, the second target
    // starts with no seed, as the G-buffer cleared the first: the steps write
    // only drawn pixels, so the rest must not hold a seed of an earlier frame.
    glBindFramebuffer(GL_FRAMEBUFFER, r.jfaFramebuffers[1]->fbo);
    static const float noSeed[4] = {-1.0f, -1.0f, 0.0f, 0.0f};
    clearInBox(footprint, 0, noSeed);
    // Every step fragment lies at depth 1, the cleared depth: GL_GREATER
    // passes exactly where the G-buffer pass drew, and writes nothing.
    glDepthRange(1.0, 1.0);
    glDepthFunc(GL_GREATER);
    glDepthMask(GL_FALSE);
}

void drawJumpFloodStep(Renderer& r, int i, int src, const MeshFootprint& footprint) {
    ShaderProgram* jfa = r.programs[Renderer::JFA];
    Framebuffer* target = r.jfaFramebuffers[1 - src];
    glBindFramebuffer(GL_FRAMEBUFFER, target->fbo);
    glViewport(0, 0, target->width, target->height);
    const int screenSize[2] = {r.width, r.height};
    setUniform2i(jfa, "screenSize", screenSize);
    setUniform(jfa, "stepSize", static_cast<int>(std::pow(2.0, i)));
    setUniform(jfa, "texInput", 0);
    setUniform(jfa, "depthAware", r.depthAwareJFA ? 1 : 0);
    setUniform(jfa, "makeVtexture", i == 0 ? 1 : 0);
    setUniform(jfa, "vWanted", vWanted(r) ? 1 : 0);
    const PixelBox& box = footprint.box;
    const int floodBox[4] = {box.x, box.y, box.x + box.width, box.y + box.height};
    glUniform4iv(jfa->uniformLocation("floodBox"), 1, floodBox);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, r.jfaFramebuffers[src]->colorTextures[0]);
    // Seeds spread through drawn pixels only. The V step also gives the
    // background beside a contour its distance, for the fringe, and marks in
    // the stencil every pixel it wrote (it discards the rest of the footprint).
    if (i > 0) {
        glEnable(GL_DEPTH_TEST);
    } else {
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_STENCIL_TEST);
        glStencilFunc(GL_ALWAYS, 1, 0xFF);
        glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    }
    drawFullScreenInStrips(r, i > 0 ? footprint.coarseStrips : footprint.strips);
}

void endJumpFlood() {
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_STENCIL_TEST);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glDepthRange(0.0, 1.0);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
}

GLuint drawJumpFlood(Renderer& r, const MeshFootprint& footprint) {
    glPushDebugGroup(GL_DEBUG_SOURCE_APPLICATION, 1, -1, "Jump flood");
    beginJumpFlood(r, footprint);
    // The first step reads the seed image: the G-buffer's colour 0 is jfa[0]'s.
    int src = 0;
    for (int i = jumpFloodStepCount(r.width, r.height) - 1; i >= 0; --i) {
        drawJumpFloodStep(r, i, src, footprint);
        src = 1 - src;
    }
    endJumpFlood();
    glPopDebugGroup();
    return r.jfaFramebuffers[src]->colorTextures[0];
}
