#include "render/uniforms.h"

#include <cmath>

#include <glm/gtc/type_ptr.hpp>

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

glm::mat3 viewNormalMatrix(const glm::mat4& view, const glm::mat3& normalMatrix) {
    // glm::mat4(mat3) widens with a zero fourth row and (0, 0, 0, 1) as fourth column.
    return glm::mat3(view * glm::mat4(normalMatrix));
}

glm::vec3 viewSpaceLightDirection(const Renderer& r, const glm::mat4& view) {
    const float* d = r.dirLight.direction;
    const float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (len == 0.0f) return glm::vec3(0.0f);
    const glm::vec3 unit(d[0] / len, d[1] / len, d[2] / len);
    if (r.dirLight.viewerRelative) return unit;
    return glm::vec3(view * glm::vec4(unit, 0.0f));
}
