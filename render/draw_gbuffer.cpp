// The G-buffer pass: the surface, its contour geometry and the jump-flood
// seeds, into the three attachments of the G-buffer.
#include "render/draw_passes.h"
#include "render/framebuffer.h"
#include "render/uniforms.h"

namespace {

// "contourSize" in view units is contourWidth x meshRadius x this factor.
constexpr float contourSizePerWidth = 0.002f;

void drawMesh(const Renderer& r) {
    // Without a mesh there is no vertex array, and a core context refuses a
    // draw without one, even of 0 indices: an error line in every frame.
    if (r.F.rows() == 0) return;
    glBindVertexArray(r.meshVao);
    glDrawElements(GL_TRIANGLES, 3 * static_cast<GLsizei>(r.F.rows()), GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
}

void setMeshMatrices(ShaderProgram* p, const Renderer& r, const glm::mat4& view,
                     const glm::mat4& projection, bool orthoProjection) {
    setUniform(p, "matMV", view * r.modelMatrix);
    setUniform(p, "matNormalMV", viewNormalMatrix(view, r.normalMatrix));
    setUniform(p, "matP", projection);
    setUniform(p, "orthoProjection", orthoProjection ? 1 : 0);
}

}  // namespace

void drawGBuffer(Renderer& r, const glm::mat4& view, const glm::mat4& projection,
                 bool orthoProjection) {
    glPushDebugGroup(GL_DEBUG_SOURCE_APPLICATION, 1, -1, "Draw G-Buffers");
    Framebuffer* g = r.gBuffer;
    glBindFramebuffer(GL_FRAMEBUFFER, g->fbo);
    glViewport(0, 0, g->width, g->height);

    // Each attachment has its own clear value: the roles are read from them.
    struct Clear {
        GLenum attachment;
        float rgba[4];
    };
    const Clear clears[3] = {{GL_COLOR_ATTACHMENT1, {0.0f, 0.0f, 0.0f, -1.0f}},
                             {GL_COLOR_ATTACHMENT2, {0.0f, 0.0f, 0.0f, 0.0f}},
                             {GL_COLOR_ATTACHMENT0, {-1.0f, -1.0f, 0.0f, 0.0f}}};
    for (const Clear& c : clears) {
        glDrawBuffers(1, &c.attachment);
        glClearColor(c.rgba[0], c.rgba[1], c.rgba[2], c.rgba[3]);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    static const GLenum all[3] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2};
    glDrawBuffers(3, all);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);

    ShaderProgram* contour = r.programs[Renderer::CONTOUR];
    glUseProgram(contour->programId);
    setMeshMatrices(contour, r, view, projection, orthoProjection);
    setUniform(contour, "contourSize", r.contourWidth * r.meshRadius * contourSizePerWidth);
    setUniform(contour, "doContour", r.addContours ? 1 : 0);
    setUniform(contour, "contour_lines_only", 0);
    if (!r.addContours) {
        glPolygonOffset(r.polyOffset[0], r.polyOffset[1]);
        glEnable(GL_POLYGON_OFFSET_FILL);
    }
    drawMesh(r);
    glDisable(GL_POLYGON_OFFSET_FILL);

    if (!r.addContours) {
        // Silhouette lines over the pushed-back surface, into the seed image only.
        glDrawBuffers(1, all);
        glDepthFunc(GL_LEQUAL);
        ShaderProgram* lines = r.programs[Renderer::CONTOUR_LINE];
        glUseProgram(lines->programId);
        setMeshMatrices(lines, r, view, projection, orthoProjection);
        setUniform(lines, "contour_lines_only", 1);
        drawMesh(r);
        glDepthFunc(GL_LESS);
    }
    glPopDebugGroup();
}
