#include "render/gl_debug.h"

#include <gtest/gtest.h>

#include "gl_context.h"

namespace {

// The names one of the three tables gives a list of values, ";" after each.
template <typename Line>
std::string names(std::initializer_list<GLenum> values, const std::string& field, Line line) {
    std::string all;
    for (GLenum value : values) {
        const std::string text = line(value);
        const size_t start = text.find(field + " = ") + field.size() + 3;
        all += text.substr(start, text.find_first_of(",]", start) - start) + ";";
    }
    return all;
}

std::string callbackOutput(GLuint id, GLenum source = GL_DEBUG_SOURCE_API,
                           GLenum type = GL_DEBUG_TYPE_ERROR) {
    testing::internal::CaptureStdout();
    glDebugOutputCallback(source, type, id, GL_DEBUG_SEVERITY_HIGH, -1, "msg", nullptr);
    return testing::internal::GetCapturedStdout();
}

}  // namespace

// Every row of the three tables and the fallbacks: an unknown source has no
// number, unknown types and severities do.
TEST(GLDebugFormat, EveryTableRowAndTheUnknowns) {
    EXPECT_EQ(names({GL_DEBUG_SOURCE_API, GL_DEBUG_SOURCE_WINDOW_SYSTEM,
                     GL_DEBUG_SOURCE_SHADER_COMPILER, GL_DEBUG_SOURCE_THIRD_PARTY,
                     GL_DEBUG_SOURCE_APPLICATION, GL_DEBUG_SOURCE_OTHER, 0x1234},
                    "Source", [](GLenum s) { return formatGLDebugMessage(s, 0, 1, 0, "m"); }),
              "API;Window System;Shader Compiler;Third Party;Application;Other;Unknown;");
    EXPECT_EQ(names({GL_DEBUG_TYPE_ERROR, GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR,
                     GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR, GL_DEBUG_TYPE_PORTABILITY,
                     GL_DEBUG_TYPE_PERFORMANCE, GL_DEBUG_TYPE_OTHER, GL_DEBUG_TYPE_PUSH_GROUP,
                     GL_DEBUG_TYPE_POP_GROUP, GL_DEBUG_TYPE_MARKER},
                    "Type", [](GLenum t) { return formatGLDebugMessage(0, t, 1, 0, "m"); }),
              "Error;Deprecated Behavior;Undefined Behavior;Portability;Performance;Other;"
              "PushDebugGroup;PopDebugGroup;Unknown (33384);");
    EXPECT_EQ(names({GL_DEBUG_SEVERITY_HIGH, GL_DEBUG_SEVERITY_MEDIUM, GL_DEBUG_SEVERITY_LOW,
                     GL_DEBUG_SEVERITY_NOTIFICATION, 4294967295u},
                    "Severity", [](GLenum s) { return formatGLDebugMessage(0, 0, 1, s, "m"); }),
              "High;Medium;Low;Notification;Unknown (4294967295);");
}

// The whole line, ids unsigned, and only the two ignored ids dropped.
TEST(GLDebugCallback, PrintsTheLineButDropsTheTwoIgnoredIds) {
    for (GLuint id : {131185u, 131218u}) {
        EXPECT_EQ(callbackOutput(id), "");
        EXPECT_EQ(callbackOutput(id, 0, 0), "");
    }
    EXPECT_EQ(callbackOutput(131184),
              "OpenGL Error: msg [Source = API, Type = Error, "
              "Severity = High, ID = 131184]\n");
    EXPECT_EQ(callbackOutput(4294967295u),
              "OpenGL Error: msg [Source = API, Type = Error, "
              "Severity = High, ID = 4294967295]\n");
}

// Installed on a real debug context, it reports inside the raising call.
TEST(GLDebugCallback, PrintsRealDriverMessages) {
    REQUIRE_GL();
    glDebugMessageCallback(glDebugOutputCallback, nullptr);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    testing::internal::CaptureStdout();
    glEnable(0x7fff);  // not a capability: GL_INVALID_ENUM
    std::string driver = testing::internal::GetCapturedStdout();
    glDebugMessageCallback(nullptr, nullptr);
    glGetError();
    EXPECT_EQ(driver.rfind("OpenGL Error: ", 0), 0u) << driver;
    EXPECT_NE(driver.find(" [Source = API, Type = Error, Severity = "), std::string::npos);
}
