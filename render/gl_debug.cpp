#include "render/gl_debug.h"

#include <iostream>

namespace {

std::string sourceName(GLenum source) {
    switch (source) {
        case GL_DEBUG_SOURCE_API:
            return "API";
        case GL_DEBUG_SOURCE_WINDOW_SYSTEM:
            return "Window System";
        case GL_DEBUG_SOURCE_SHADER_COMPILER:
            return "Shader Compiler";
        case GL_DEBUG_SOURCE_THIRD_PARTY:
            return "Third Party";
        case GL_DEBUG_SOURCE_APPLICATION:
            return "Application";
        case GL_DEBUG_SOURCE_OTHER:
            return "Other";
        default:
            return "Unknown";
    }
}

std::string typeName(GLenum type) {
    switch (type) {
        case GL_DEBUG_TYPE_ERROR:
            return "Error";
        case GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR:
            return "Deprecated Behavior";
        case GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR:
            return "Undefined Behavior";
        case GL_DEBUG_TYPE_PORTABILITY:
            return "Portability";
        case GL_DEBUG_TYPE_PERFORMANCE:
            return "Performance";
        case GL_DEBUG_TYPE_OTHER:
            return "Other";
        case GL_DEBUG_TYPE_PUSH_GROUP:
            return "PushDebugGroup";
        case GL_DEBUG_TYPE_POP_GROUP:
            return "PopDebugGroup";
        default:
            return "Unknown (" + std::to_string(type) + ")";
    }
}

std::string severityName(GLenum severity) {
    switch (severity) {
        case GL_DEBUG_SEVERITY_HIGH:
            return "High";
        case GL_DEBUG_SEVERITY_MEDIUM:
            return "Medium";
        case GL_DEBUG_SEVERITY_LOW:
            return "Low";
        case GL_DEBUG_SEVERITY_NOTIFICATION:
            return "Notification";
        default:
            return "Unknown (" + std::to_string(severity) + ")";
    }
}

// Driver chatter that would flood the console every frame (buffer placement
// hints and the like).
bool isIgnored(GLuint id) {
    return id == 131185 || id == 131218;
}

}  // namespace

std::string formatGLDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity,
                                 const char* message) {
    return "OpenGL Error: " + std::string(message ? message : "") +
           " [Source = " + sourceName(source) + ", Type = " + typeName(type) +
           ", Severity = " + severityName(severity) + ", ID = " + std::to_string(id) + "]";
}

void GLAPIENTRY glDebugOutputCallback(GLenum source, GLenum type, GLuint id, GLenum severity,
                                      GLsizei /*length*/, const GLchar* message,
                                      const void* /*userParam*/) {
    if (isIgnored(id)) return;
    std::cout << formatGLDebugMessage(source, type, id, severity, message) << std::endl;
}
