#include "render/gl_debug.h"

#include <gtest/gtest.h>

// Every row of the three tables and the fallbacks: an unknown source has no
// number, unknown types and severities do.
TEST(GLDebug, FormatNamesEveryTableRowAndTheUnknowns) {
    const char* fields[] = {"Source", "Type", "Severity"};
    // The names field k of the line gives a list of values, ";" after each.
    auto names = [&](int k, std::initializer_list<GLenum> values) {
        std::string all;
        for (GLenum value : values) {
            GLenum v[3] = {0, 0, 0};
            v[k] = value;
            const std::string text = formatGLDebugMessage(v[0], v[1], 1, v[2], "m");
            const size_t start = text.find(fields[k] + std::string(" = ")) + strlen(fields[k]) + 3;
            all += text.substr(start, text.find_first_of(",]", start) - start) + ";";
        }
        return all;
    };
    EXPECT_EQ(names(0, {GL_DEBUG_SOURCE_API, GL_DEBUG_SOURCE_WINDOW_SYSTEM,
                        GL_DEBUG_SOURCE_SHADER_COMPILER, GL_DEBUG_SOURCE_THIRD_PARTY,
                        GL_DEBUG_SOURCE_APPLICATION, GL_DEBUG_SOURCE_OTHER, 0x1234}),
              "API;Window System;Shader Compiler;Third Party;Application;Other;Unknown;");
    EXPECT_EQ(names(1, {GL_DEBUG_TYPE_ERROR, GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR,
                        GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR, GL_DEBUG_TYPE_PORTABILITY,
                        GL_DEBUG_TYPE_PERFORMANCE, GL_DEBUG_TYPE_OTHER, GL_DEBUG_TYPE_PUSH_GROUP,
                        GL_DEBUG_TYPE_POP_GROUP, GL_DEBUG_TYPE_MARKER}),
              "Error;Deprecated Behavior;Undefined Behavior;Portability;Performance;Other;"
              "PushDebugGroup;PopDebugGroup;Unknown (33384);");
    EXPECT_EQ(names(2, {GL_DEBUG_SEVERITY_HIGH, GL_DEBUG_SEVERITY_MEDIUM, GL_DEBUG_SEVERITY_LOW,
                        GL_DEBUG_SEVERITY_NOTIFICATION, 4294967295u}),
              "High;Medium;Low;Notification;Unknown (4294967295);");
}

// The whole line with the id unsigned; only the two ignored ids are dropped.
TEST(GLDebug, CallbackPrintsTheLineButDropsTheTwoIgnoredIds) {
    auto output = [](GLuint id) {
        testing::internal::CaptureStdout();
        glDebugOutputCallback(GL_DEBUG_SOURCE_API, GL_DEBUG_TYPE_ERROR, id, GL_DEBUG_SEVERITY_HIGH,
                              -1, "msg", nullptr);
        return testing::internal::GetCapturedStdout();
    };
    EXPECT_EQ(output(131185) + output(131218), "");
    EXPECT_EQ(output(131184).substr(0, 14), "OpenGL Error: ");
    EXPECT_EQ(output(4294967295u),
              "OpenGL Error: msg [Source = API, Type = Error, Severity = High, ID = 4294967295]\n");
}
