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
// Every step of the jump flood; returns the texture holding its result.
GLuint drawJumpFlood(Renderer& r);
// The flood one step at a time (as drawJumpFlood runs it, without its debug
// group): the set-up, then step i (step size 2^i, the V step at i = 0)
// reading jfaFramebuffers[src] and writing jfaFramebuffers[1 - src].
void beginJumpFlood(Renderer& r);
void drawJumpFloodStep(Renderer& r, int i, int src);
void drawFinal(Renderer& r, const glm::mat4& view, GLuint jumpFloodResult);
void drawEndpointSpheres(Renderer& r, const glm::mat4& view, const glm::mat4& projection);
void drawFinalToScreen(Renderer& r);
