// Composition of the shaded image from the G-buffer and the jump flood, and
// the copy into the caller's framebuffer.
#include <cmath>

#include "render/draw_passes.h"
#include "render/framebuffer.h"
#include "render/uniforms.h"

namespace {

// Index 0: isolines of U, 1: of V.
void setIsolines(ShaderProgram* p, const Renderer& r) {
    static const char* const names[2][3] = {
        {"isolines_u.enabled", "isolines_u.freq", "isolines_u.width"},
        {"isolines_v.enabled", "isolines_v.freq", "isolines_v.width"}};
    for (int k = 0; k < 2; ++k) {
        setUniform(p, names[k][0], r.isolines.enabled[k] ? 1 : 0);
        setUniform(p, names[k][1], r.isolines.freq[k]);
        setUniform(p, names[k][2], r.isolines.width[k]);
    }
}

}  // namespace

void drawFinal(Renderer& r, const glm::mat4& view, GLuint jumpFloodResult,
               const MeshFootprint& footprint) {
    Framebuffer* target = r.finalFramebuffer;
    glBindFramebuffer(GL_FRAMEBUFFER, target->fbo);
    glViewport(0, 0, target->width, target->height);
    // Outside the footprint the composition would give the background colour
    // exactly (mix with a weight of 0): a clear writes it for less.
    const float background[4] = {r.colorBackground[0], r.colorBackground[1], r.colorBackground[2],
                                 1.0f};
    glClearBufferfv(GL_COLOR, 0, background);

    ShaderProgram* p = r.programs[Renderer::FINAL];
    glUseProgram(p->programId);
    const glm::vec3 light = viewSpaceLightDirection(r, view);
    setUniform3(p, "dirLight_direction_VS", &light.x);
    setUniform(p, "ambientLight", r.ambientLight);
    setUniform(p, "mat_diffuse", r.material.diffuse);
    setUniform(p, "mat_specular", r.material.specular);
    setUniform(p, "mat_shiny", r.material.shiny);
    setUniform(p, "u_scale", std::abs(r.maxU) > 0.0 ? 1.0f / static_cast<float>(r.maxU) : 1.0f);
    setUniform3(p, "bgColor", r.colorBackground);
    setUniform3(p, "contourColor", r.colorContour);
    setUniform3(p, "mesh_base_color", r.useBlinnPhong ? r.colorMesh : r.colorMeshPlain);
    setUniform(p, "hasContours", r.addContours ? 1 : 0);
    const int screenSize[2] = {r.width, r.height};
    setUniform2i(p, "screenSize", screenSize);
    setUniform(p, "time", r.time);
    setUniform(p, "debug_float", r.debug_float);
    setUniform(p, "use_blinn_phong", r.useBlinnPhong ? 1 : 0);
    setUniform(p, "scalar_field.enabled", r.scalar_field.enabled ? 1 : 0);
    setUniform(p, "scalar_field.onContour", r.scalar_field.onContour ? 1 : 0);
    setUniform(p, "scalar_field.useTexture", r.scalar_field.useTexture ? 1 : 0);
    setUniform(p, "scalar_field.invert", r.scalar_field.invert ? 1 : 0);
    setUniform(p, "hatching.enabled", r.hatching.enabled ? 1 : 0);
    setUniform(p, "hatching.f", r.hatching.f);
    setUniform(p, "hatching.o", r.hatching.o);
    setUniform(p, "hatching.w", r.hatching.w);
    setUniform(p, "hatching.l", r.hatching.l);
    setUniform(p, "hatching.s", r.hatching.s);
    setUniform(p, "hatching.n", r.hatching.n);
    setIsolines(p, r);
    setUniform(p, "decals.enabled", r.decals.enabled ? 1 : 0);
    setUniform(p, "decals.onContour", r.decals.onContour ? 1 : 0);
    setUniform3(p, "decals.scale", r.decals.scale);
    setUniform2(p, "decals.offset", r.decals.offset);
    setUniform(p, "decals.clampV", r.decals.clampV ? 1 : 0);
    setUniform(p, "decals.invertV", r.decals.invertV ? 1 : 0);
    setUniform(p, "decals.animate", r.decals.animate ? 1 : 0);

    struct Unit {
        const char* sampler;
        GLuint texture;
    };
    const Unit units[5] = {{"texPositionVS", r.gBuffer->colorTextures[1]},
                           {"texNormalVS", r.gBuffer->colorTextures[2]},
                           {"texParamV", jumpFloodResult},
                           {"texDecal", r.decalTextureId},
                           {"texGrad", r.gradientTextureId}};
    for (int unit = 0; unit < 5; ++unit) {
        setUniform(p, units[unit].sampler, unit);
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_2D, units[unit].texture);
    }
    // Only where the flood's last step wrote: the mesh, its contour and the
    // fringe beside it. A window of one pixel has no step, and no mark.
    if (jumpFloodStepCount(r.width, r.height) > 0) glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_EQUAL, 1, 0xFF);
    drawFullScreenInStrips(r, footprint.strips);
    glDisable(GL_STENCIL_TEST);
}

void drawFinalToScreen(Renderer& r) {
    glPushDebugGroup(GL_DEBUG_SOURCE_APPLICATION, 1, -1, "Final to screen");
    ShaderProgram* p = r.programs[Renderer::RENDER_TEX];
    glUseProgram(p->programId);
    setUniform(p, "texFinal", 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, r.finalFramebuffer->colorTextures[0]);
    drawFullScreen(r);
    glPopDebugGroup();
}
