#include "render/gl_debug.h"

#include <gtest/gtest.h>

// The whole line of an API error; the ignored ids print nothing; an unknown
// source has no number, unknown types (a marker among them) and severities
// do; ids are unsigned.
TEST(GLDebug, OneLinePerMessageAndTheUnknownNames) {
    auto printed = [](GLenum source, GLenum type, GLuint id, GLenum severity) {
        testing::internal::CaptureStdout();
        glDebugOutputCallback(source, type, id, severity, -1, "m", nullptr);
        return testing::internal::GetCapturedStdout();
    };
    const GLenum api = GL_DEBUG_SOURCE_API, error = GL_DEBUG_TYPE_ERROR;
    EXPECT_EQ(printed(api, error, 131185, GL_DEBUG_SEVERITY_HIGH) +
                  printed(GL_DEBUG_SOURCE_OTHER, error, 131218, GL_DEBUG_SEVERITY_LOW),
              "");
    EXPECT_EQ(printed(api, error, 4294967295u, GL_DEBUG_SEVERITY_HIGH),
              "OpenGL Error: m [Source = API, Type = Error, Severity = High, ID = 4294967295]\n");
    EXPECT_EQ(formatGLDebugMessage(0x1234, GL_DEBUG_TYPE_MARKER, 131184, 7, "m"),
              "OpenGL Error: m [Source = Unknown, Type = Unknown (33384), Severity = Unknown (7), "
              "ID = 131184]");
}
