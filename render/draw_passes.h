#pragma once
// The passes of Renderer::draw, one function each. Internal to the renderer.

#include <glm/glm.hpp>

#include "render/mesh_footprint.h"
#include "render/renderer.h"

// Two instances of one triangle cover the viewport.
void drawFullScreen(const Renderer& r);

// Number of jump-flood steps for the larger side of the viewport.
int jumpFloodStepCount(int width, int height);

// The G-buffer, cleared within the footprint's box (nothing reads outside it).
void drawGBuffer(Renderer& r, const glm::mat4& view, const glm::mat4& projection,
                 bool orthoProjection, const MeshFootprint& footprint);
// "contourSize", the contour band's width in view units.
float contourSize(const Renderer& r);

// Every step of the jump flood within the footprint; returns the texture
// holding its result.
GLuint drawJumpFlood(Renderer& r, const MeshFootprint& footprint);
// The flood one step at a time (as drawJumpFlood runs it, without its debug
// group): the set-up, step i (step size 2^i, the V step at i = 0) reading
// jfaFramebuffers[src] and writing jfaFramebuffers[1 - src], then the GL
// state the later passes expect.
void beginJumpFlood(Renderer& r, const MeshFootprint& footprint);
void drawJumpFloodStep(Renderer& r, int i, int src, const MeshFootprint& footprint);
void endJumpFlood();
// The composition within the footprint; the background colour elsewhere.
void drawFinal(Renderer& r, const glm::mat4& view, GLuint jumpFloodResult,
               const MeshFootprint& footprint);
void drawEndpointSpheres(Renderer& r, const glm::mat4& view, const glm::mat4& projection);
void drawFinalToScreen(Renderer& r);
