#pragma once
// OpenGL debug output on the console.

#include <GL/glew.h>

#include <string>

// One line, without a line end, describing a debug message.
std::string formatGLDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity,
                                 const char* message);

void GLAPIENTRY glDebugOutputCallback(GLenum source, GLenum type, GLuint id, GLenum severity,
                                      GLsizei length, const GLchar* message, const void* userParam);
