// One frame: G-buffer, jump flood, composition with the endpoint spheres,
// then the copy into whatever framebuffer the caller had bound.
#include "platform/fatal.h"
#include "render/draw_passes.h"
#include "render/gl_state.h"

void Renderer::draw(const glm::mat4& view, const glm::mat4& projection, bool orthoProjection) {
    if (!inited) assertionFailed("Mesh not inited");
    pushGLState();
    const PixelBox box = meshPixelBox(*this, view, projection);
    drawGBuffer(*this, view, projection, orthoProjection, box);
    const GLuint jumpFloodResult = drawJumpFlood(*this, box);

    glPushDebugGroup(GL_DEBUG_SOURCE_APPLICATION, 1, -1, "Final");
    drawFinal(*this, view, jumpFloodResult, box);
    if ((renderEndpoints || renderRootpoint) && !endpoints.empty())
        drawEndpointSpheres(*this, view, projection);
    glPopDebugGroup();

    popGLState();
    drawFinalToScreen(*this);
}
