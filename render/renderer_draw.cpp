// One frame: G-buffer, jump flood, composition with the endpoint spheres,
// then the copy into whatever framebuffer the caller had bound.
#include "platform/fatal.h"
#include "render/draw_passes.h"
#include "render/gl_state.h"

void Renderer::draw(const glm::mat4& view, const glm::mat4& projection, bool orthoProjection) {
    if (!inited) assertionFailed("Mesh not inited");
    pushGLState();
    const MeshFootprint footprint = meshFootprint(*this, view, projection);
    drawGBuffer(*this, view, projection, orthoProjection, footprint);
    const GLuint jumpFloodResult = drawJumpFlood(*this, footprint);

    glPushDebugGroup(GL_DEBUG_SOURCE_APPLICATION, 1, -1, "Final");
    drawFinal(*this, view, jumpFloodResult, footprint);
    if ((renderEndpoints || renderRootpoint) && !endpoints.empty())
        drawEndpointSpheres(*this, view, projection);
    glPopDebugGroup();

    popGLState();
    drawFinalToScreen(*this);
}
