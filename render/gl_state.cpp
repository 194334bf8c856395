#include "render/gl_state.h"

std::vector<GLStateSnapshot*> glStateStack;

void pushGLState() {
    GLStateSnapshot* s = new GLStateSnapshot;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &s->drawFramebuffer);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &s->readFramebuffer);
    glGetIntegerv(GL_VIEWPORT, s->viewport);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, s->clearColor);
    glStateStack.push_back(s);
}

void popGLState() {
    if (glStateStack.empty()) return;
    GLStateSnapshot* s = glStateStack.back();
    glStateStack.pop_back();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, s->drawFramebuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, s->readFramebuffer);
    glViewport(s->viewport[0], s->viewport[1], s->viewport[2], s->viewport[3]);
    glClearColor(s->clearColor[0], s->clearColor[1], s->clearColor[2], s->clearColor[3]);
    delete s;
}
