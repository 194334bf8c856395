// One frame: G-buffer, jump flood, composition with the endpoint spheres,
// then the copy into whatever framebuffer the caller had bound.
#include "platform/fatal.h"
#include "render/draw_passes.h"
#include "render/gl_state.h"

void Renderer::draw(const glm::mat4& view, const glm::mat4& projection, bool orthoProjection) {
    if (!inited) assertionFailed("Mesh not inited");
    pushGLState();
    drawGBuffer(*this, view, projection, orthoProjection);
    const GLuint jumpFloodResult = drawJumpFlood(*this);

    glPushDebugGroup(GL_DEBUG_SOURCE_APPLICATION, 1, -1, "Final");
    drawFinal(*this, view, jumpFloodResult);
    if ((renderEndpoints || renderRootpoint) && !endpoints.empty())
        drawEndpointSpheres(*this, view, projection);
    glPopDebugGroup();

    popGLState();
    drawFinalToScreen(*this);
}
