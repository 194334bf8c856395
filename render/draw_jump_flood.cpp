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

void beginJumpFlood(Renderer& r) {
    glDisable(GL_DEPTH_TEST);
    glUseProgram(r.programs[Renderer::JFA]->programId);
}

void drawJumpFloodStep(Renderer& r, int i, int src) {
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
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, r.jfaFramebuffers[src]->colorTextures[0]);
    drawFullScreen(r);
}

GLuint drawJumpFlood(Renderer& r) {
    glPushDebugGroup(GL_DEBUG_SOURCE_APPLICATION, 1, -1, "Jump flood");
    beginJumpFlood(r);
    // The first step reads the seed image: the G-buffer's colour 0 is jfa[0]'s.
    int src = 0;
    for (int i = jumpFloodStepCount(r.width, r.height) - 1; i >= 0; --i) {
        drawJumpFloodStep(r, i, src);
        src = 1 - src;
    }
    glPopDebugGroup();
    return r.jfaFramebuffers[src]->colorTextures[0];
}
