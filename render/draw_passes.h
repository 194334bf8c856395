#pragma once
// The passes of Renderer::draw, one function each, and the small uniform
// helpers they share. Internal to the renderer.

#include <glm/glm.hpp>
#include <string>

#include "render/renderer.h"
#include "render/shader_program.h"

// Uniform setters: location from the program's cache, count 1.
void setUniform(ShaderProgram* p, const char* name, int value);
void setUniform(ShaderProgram* p, const char* name, float value);
void setUniform(ShaderProgram* p, const char* name, const glm::mat4& value);
void setUniform(ShaderProgram* p, const char* name, const glm::mat3& value);
void setUniform3(ShaderProgram* p, const char* name, const float* value);
void setUniform2(ShaderProgram* p, const char* name, const float* value);
void setUniform4(ShaderProgram* p, const char* name, const float* value);
void setUniform2i(ShaderProgram* p, const char* name, const int* value);

// Two instances of one triangle cover the viewport.
void drawFullScreen(const Renderer& r);

// The upper-left 3 x 3 of view x N4, N4 the normal matrix widened to 4 x 4.
glm::mat3 viewNormalMatrix(const glm::mat4& view, const glm::mat3& normalMatrix);

// Number of jump-flood steps for the larger side of the viewport.
int jumpFloodStepCount(int width, int height);

void drawGBuffer(Renderer& r, const glm::mat4& view, const glm::mat4& projection,
                 bool orthoProjection);
// Returns the texture holding the jump-flood result.
GLuint drawJumpFlood(Renderer& r);
void drawFinal(Renderer& r, const glm::mat4& view, GLuint jumpFloodResult);
void drawEndpointSpheres(Renderer& r, const glm::mat4& view, const glm::mat4& projection);
void drawFinalToScreen(Renderer& r);
