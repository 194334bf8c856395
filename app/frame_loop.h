#pragma once
// Start-up steps after the window exists, one frame of the main loop, and the
// orderly shutdown. main.cpp strings them together; the first-frame benchmark
// runs the same steps.

// The seven programs, in the registry's order; the registry owns them.
void createShaderPrograms();

// Viewport, clear colour, depth test, face culling, multisampling off.
void setFixedGLState();

// Clear, then the Renderer's frame from the camera's view and projection.
void drawScene();

// One frame: resize, GUI frame start, draw, panel, swap, events, mouse control.
void runFrame();

// Renderer GPU objects, then the programs (last registered first), then the
// window system.
void shutDown();
