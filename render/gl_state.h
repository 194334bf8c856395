#pragma once
// The caller's GL state that a frame draw changes and gives back.

#include <GL/glew.h>

#include <vector>

struct GLStateSnapshot {
    GLint drawFramebuffer;
    GLint readFramebuffer;
    GLint viewport[4];
    GLfloat clearColor[4];
};

extern std::vector<GLStateSnapshot*> glStateStack;

void pushGLState();
void popGLState();
