#pragma once
// Uniform setters shared by the passes, and the values several passes send.
// Each setter looks the location up in the program's cache and sends one
// value (count 1, matrices column-major and not transposed).

#include <glm/glm.hpp>

#include "render/renderer.h"
#include "render/shader_program.h"

void setUniform(ShaderProgram* p, const char* name, int value);
void setUniform(ShaderProgram* p, const char* name, float value);
void setUniform(ShaderProgram* p, const char* name, const glm::mat4& value);
void setUniform(ShaderProgram* p, const char* name, const glm::mat3& value);
void setUniform2(ShaderProgram* p, const char* name, const float* value);
void setUniform3(ShaderProgram* p, const char* name, const float* value);
void setUniform4(ShaderProgram* p, const char* name, const float* value);
void setUniform2i(ShaderProgram* p, const char* name, const int* value);

// "matNormalMV": the upper-left 3 x 3 of view x N4, N4 the normal matrix
// widened to 4 x 4 with a zero fourth row and (0, 0, 0, 1) as fourth column.
glm::mat3 viewNormalMatrix(const glm::mat4& view, const glm::mat3& normalMatrix);

// "dirLight_direction_VS": the light direction normalised, turned by the view
// unless it is viewer-relative. A direction of length 0 gives the zero
// vector, which the shaders take as "no directed light".
glm::vec3 viewSpaceLightDirection(const Renderer& r, const glm::mat4& view);
