// One frame: G-buffer, jump flood, composition with the endpoint spheres,
// then the copy into whatever framebuffer the caller had bound.
#include <glm/gtc/type_ptr.hpp>

#include "platform/fatal.h"
#include "render/draw_passes.h"
#include "render/gl_state.h"

void setUniform(ShaderProgram* p, const char* name, int value) {
    glUniform1i(p->uniformLocation(name), value);
}
void setUniform(ShaderProgram* p, const char* name, float value) {
    glUniform1f(p->uniformLocation(name), value);
}
void setUniform(ShaderProgram* p, const char* name, const glm::mat4& value) {
    glUniformMatrix4fv(p->uniformLocation(name), 1, GL_FALSE, glm::value_ptr(value));
}
void setUniform(ShaderProgram* p, const char* name, const glm::mat3& value) {
    glUniformMatrix3fv(p->uniformLocation(name), 1, GL_FALSE, glm::value_ptr(value));
}
void setUniform2(ShaderProgram* p, const char* name, const float* value) {
    glUniform2fv(p->uniformLocation(name), 1, value);
}
void setUniform3(ShaderProgram* p, const char* name, const float* value) {
    glUniform3fv(p->uniformLocation(name), 1, value);
}
void setUniform4(ShaderProgram* p, const char* name, const float* value) {
    glUniform4fv(p->uniformLocation(name), 1, value);
}
void setUniform2i(ShaderProgram* p, const char* name, const int* value) {
    glUniform2iv(p->uniformLocation(name), 1, value);
}

void drawFullScreen(const Renderer& r) {
    glBindVertexArray(r.emptyVao);
    glDrawArraysInstanced(GL_TRIANGLES, 0, 3, 2);
    glBindVertexArray(0);
}

glm::mat3 viewNormalMatrix(const glm::mat4& view, const glm::mat3& normalMatrix) {
    // glm::mat4(mat3) widens with a zero fourth row and (0, 0, 0, 1) as fourth column.
    return glm::mat3(view * glm::mat4(normalMatrix));
}

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
