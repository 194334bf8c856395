#include "render/gl_debug.h"

#include <gtest/gtest.h>

#include <string>

#include "gl_context.h"

namespace {

std::string line(GLenum source, GLenum type, GLuint id, GLenum severity) {
    return formatGLDebugMessage(source, type, id, severity, "msg");
}

std::string expected(const std::string& source, const std::string& type, const std::string& id,
                     const std::string& severity) {
    return "OpenGL Error: msg [Source = " + source + ", Type = " + type +
           ", Severity = " + severity + ", ID = " + id + "]";
}

std::string callbackOutput(GLenum source, GLenum type, GLuint id, GLenum severity,
                           const char* message) {
    testing::internal::CaptureStdout();
    glDebugOutputCallback(source, type, id, severity, -1, message, nullptr);
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(GLDebugFormat, ApiErrorLineHasExactlyThePartsInOrder) {
    EXPECT_EQ(formatGLDebugMessage(GL_DEBUG_SOURCE_API, GL_DEBUG_TYPE_ERROR, 1282,
                                   GL_DEBUG_SEVERITY_HIGH, "GL_INVALID_OPERATION in glDraw"),
              "OpenGL Error: GL_INVALID_OPERATION in glDraw [Source = API, Type = Error, "
              "Severity = High, ID = 1282]");
}

TEST(GLDebugFormat, EverySourceName) {
    const std::pair<GLenum, const char*> rows[] = {
        {GL_DEBUG_SOURCE_API, "API"},
        {GL_DEBUG_SOURCE_WINDOW_SYSTEM, "Window System"},
        {GL_DEBUG_SOURCE_SHADER_COMPILER, "Shader Compiler"},
        {GL_DEBUG_SOURCE_THIRD_PARTY, "Third Party"},
        {GL_DEBUG_SOURCE_APPLICATION, "Application"},
        {GL_DEBUG_SOURCE_OTHER, "Other"},
        {0x1234, "Unknown"},  // no number for an unknown source
    };
    for (const auto& [source, name] : rows)
        EXPECT_EQ(line(source, GL_DEBUG_TYPE_OTHER, 7, GL_DEBUG_SEVERITY_LOW),
                  expected(name, "Other", "7", "Low"));
}

TEST(GLDebugFormat, EveryTypeName) {
    const std::pair<GLenum, const char*> rows[] = {
        {GL_DEBUG_TYPE_ERROR, "Error"},
        {GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR, "Deprecated Behavior"},
        {GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR, "Undefined Behavior"},
        {GL_DEBUG_TYPE_PORTABILITY, "Portability"},
        {GL_DEBUG_TYPE_PERFORMANCE, "Performance"},
        {GL_DEBUG_TYPE_OTHER, "Other"},
        {GL_DEBUG_TYPE_PUSH_GROUP, "PushDebugGroup"},
        {GL_DEBUG_TYPE_POP_GROUP, "PopDebugGroup"},
        {GL_DEBUG_TYPE_MARKER, "Unknown (33384)"},
        {0, "Unknown (0)"},
    };
    for (const auto& [type, name] : rows)
        EXPECT_EQ(line(GL_DEBUG_SOURCE_API, type, 7, GL_DEBUG_SEVERITY_LOW),
                  expected("API", name, "7", "Low"));
}

TEST(GLDebugFormat, EverySeverityNameAndUnsignedId) {
    const std::pair<GLenum, const char*> rows[] = {
        {GL_DEBUG_SEVERITY_HIGH, "High"},      {GL_DEBUG_SEVERITY_MEDIUM, "Medium"},
        {GL_DEBUG_SEVERITY_LOW, "Low"},        {GL_DEBUG_SEVERITY_NOTIFICATION, "Notification"},
        {4294967295u, "Unknown (4294967295)"},
    };
    for (const auto& [severity, name] : rows)
        EXPECT_EQ(line(GL_DEBUG_SOURCE_OTHER, GL_DEBUG_TYPE_ERROR, 4294967295u, severity),
                  expected("Other", "Error", "4294967295", name));
    EXPECT_EQ(line(GL_DEBUG_SOURCE_OTHER, GL_DEBUG_TYPE_ERROR, 0, GL_DEBUG_SEVERITY_HIGH),
              expected("Other", "Error", "0", "High"));
}

TEST(GLDebugCallback, DropsTheTwoIgnoredIdsWhateverElseTheMessageSays) {
    for (GLuint id : {131185u, 131218u}) {
        EXPECT_EQ(callbackOutput(GL_DEBUG_SOURCE_API, GL_DEBUG_TYPE_ERROR, id,
                                 GL_DEBUG_SEVERITY_HIGH, "x"),
                  "");
        EXPECT_EQ(callbackOutput(0, 0, id, 0, "x"), "");
    }
    // Neighbouring ids are printed.
    EXPECT_EQ(callbackOutput(GL_DEBUG_SOURCE_API, GL_DEBUG_TYPE_OTHER, 131184,
                             GL_DEBUG_SEVERITY_NOTIFICATION, "hint"),
              "OpenGL Error: hint [Source = API, Type = Other, Severity = Notification, "
              "ID = 131184]\n");
}

// The callback installed on a real debug context reports what the driver and
// the application raise, inside the raising call.
TEST(GLDebugCallback, PrintsRealDriverAndApplicationMessages) {
    REQUIRE_GL();
    glDebugMessageCallback(glDebugOutputCallback, nullptr);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);

    testing::internal::CaptureStdout();
    glEnable(0x7fff);  // not a capability: GL_INVALID_ENUM
    std::string driver = testing::internal::GetCapturedStdout();

    testing::internal::CaptureStdout();
    glDebugMessageInsert(GL_DEBUG_SOURCE_APPLICATION, GL_DEBUG_TYPE_MARKER, 42,
                         GL_DEBUG_SEVERITY_NOTIFICATION, -1, "frame start");
    std::string marker = testing::internal::GetCapturedStdout();

    glDebugMessageCallback(nullptr, nullptr);
    glGetError();

    EXPECT_EQ(driver.rfind("OpenGL Error: ", 0), 0u) << driver;
    EXPECT_NE(driver.find(" [Source = API, Type = Error, Severity = "), std::string::npos)
        << driver;
    EXPECT_EQ(marker,
              "OpenGL Error: frame start [Source = Application, Type = Unknown (33384), "
              "Severity = Notification, ID = 42]\n");
}
