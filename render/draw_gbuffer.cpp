// The G-buffer pass: the surface, its contour geometry and the jump-flood
// seeds, into the three attachments of the G-buffer.
#include "render/draw_passes.h"
#include "render/framebuffer.h"
#include "render/uniforms.h"

namespace {

// "contourSize" in view units is contourWidth x meshRadius x this factor.
constexpr float contourSizePerWidth = 0.002f;

// The triangles whose cells can reach the window, in the index buffer's
// order: the geometry stage, which llvmpipe runs on one thread, then sees
// only what may show. Without a mesh there is nothing to draw (and no vertex
// array: a core context refuses a draw without one, even of 0 indices).
void drawMesh(const Renderer& r, const MeshFootprint& footprint) {
    const std::vector<TriangleRange>& ranges = footprint.triangles;
    if (r.F.rows() == 0 || ranges.empty()) return;
    glBindVertexArray(r.meshVao);
    // Every triangle (the whole mesh can show): one plain draw.
    if (ranges.size() == 1 && ranges[0].first == 0 && ranges[0].count == r.F.rows()) {
        glDrawElements(GL_TRIANGLES, 3 * static_cast<GLsizei>(r.F.rows()), GL_UNSIGNED_INT,
                       nullptr);
    } else {
        std::vector<GLsizei> counts;
        std::vector<const void*> offsets;
        for (const TriangleRange& range : ranges) {
            counts.push_back(3 * range.count);
            offsets.push_back(
                reinterpret_cast<const void*>(3 * sizeof(GLuint) * size_t(range.first)));
        }
        glMultiDrawElements(GL_TRIANGLES, counts.data(), GL_UNSIGNED_INT, offsets.data(),
                            static_cast<GLsizei>(ranges.size()));
    }
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

float contourSize(const Renderer& r) {
    return r.contourWidth * r.meshRadius * contourSizePerWidth;
}

void drawGBuffer(Renderer& r, const glm::mat4& view, const glm::mat4& projection,
                 bool orthoProjection, const MeshFootprint& footprint) {
    glPushDebugGroup(GL_DEBUG_SOURCE_APPLICATION, 1, -1, "Draw G-Buffers");
    Framebuffer* g = r.gBuffer;
    glBindFramebuffer(GL_FRAMEBUFFER, g->fbo);
    glViewport(0, 0, g->width, g->height);

    // Each attachment has its own clear value: the roles are read from them.
    // Nothing outside the footprint is read back, and the flood's reads of
    // the seed image stay in the footprint's box: only these are cleared; the depth
    // (against which the endpoint spheres are drawn anywhere) and the stencil
    // are cleared whole, once.
    static const GLenum all[3] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2};
    glDrawBuffers(3, all);
    glDepthMask(GL_TRUE);
    glClearBufferfi(GL_DEPTH_STENCIL, 0, 1.0f, 0);
    static const float seedClear[4] = {-1.0f, -1.0f, 0.0f, 0.0f};
    static const float positionClear[4] = {0.0f, 0.0f, 0.0f, -1.0f};
    static const float normalClear[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    clearInStrips(footprint, 1, positionClear);
    clearInStrips(footprint, 2, normalClear);
    clearInBox(footprint, 0, seedClear);
    glEnable(GL_DEPTH_TEST);

    ShaderProgram* contour = r.programs[Renderer::CONTOUR];
    glUseProgram(contour->programId);
    setMeshMatrices(contour, r, view, projection, orthoProjection);
    setUniform(contour, "contourSize", contourSize(r));
    setUniform(contour, "doContour", r.addContours ? 1 : 0);
    setUniform(contour, "contour_lines_only", 0);
    if (!r.addContours) {
        glPolygonOffset(r.polyOffset[0], r.polyOffset[1]);
        glEnable(GL_POLYGON_OFFSET_FILL);
    }
    drawMesh(r, footprint);
    glDisable(GL_POLYGON_OFFSET_FILL);

    if (!r.addContours) {
        // Silhouette lines over the pushed-back surface, into the seed image only.
        glDrawBuffers(1, all);
        glDepthFunc(GL_LEQUAL);
        ShaderProgram* lines = r.programs[Renderer::CONTOUR_LINE];
        glUseProgram(lines->programId);
        setMeshMatrices(lines, r, view, projection, orthoProjection);
        setUniform(lines, "contour_lines_only", 1);
        drawMesh(r, footprint);
        glDepthFunc(GL_LESS);
    }
    glPopDebugGroup();
}
