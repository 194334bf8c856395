#pragma once
// The passes of Renderer::draw, one function each. Internal to the renderer.

#include <glm/glm.hpp>

#include "render/renderer.h"

// Two instances of one triangle cover the viewport.
void drawFullScreen(const Renderer& r);

// Number of jump-flood steps for the larger side of the viewport.
int jumpFloodStepCount(int width, int height);

void drawGBuffer(Renderer& r, const glm::mat4& view, const glm::mat4& projection,
                 bool orthoProjection);
// Returns the texture holding the jump-flood result.
GLuint drawJumpFlood(Renderer& r);
void drawFinal(Renderer& r, const glm::mat4& view, GLuint jumpFloodResult);
void drawEndpointSpheres(Renderer& r, const glm::mat4& view, const glm::mat4& projection);
void drawFinalToScreen(Renderer& r);
