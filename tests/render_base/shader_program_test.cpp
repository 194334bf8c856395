#include <gtest/gtest.h>

#include "fatal_scenario.h"
#include "gl_context.h"
#include "render/shader_program.h"
#include "shader_test_util.h"
#include "test_assets.h"

namespace {

class ShaderPrograms : public testing::Test {
  protected:
    void SetUp() override {
        if (!testGLWindow()) GTEST_SKIP() << "no OpenGL display";
        assets.writeStandardSet();
    }
    void TearDown() override { deleteAllPrograms(); }

    // A stage file whose text names itself, so that its shader can be found.
    void stage(const std::string& file, const std::string& body) {
        assets.writeShader(file, "#version 430 core\n// stage file: " + file + "\n" + body);
    }
    GLenum typeOf(const ShaderProgram* p, const std::string& file) {
        return stageContaining(p->programId, "// stage file: " + file + "\n").type;
    }

    TestAssets assets;
};

const char* const passVertex =
    "layout(location = 0) in vec3 position;\n"
    "void main() { gl_Position = vec4(position, 1.0); }\n";
const char* const colourFragment = "out vec4 c;\nvoid main() { c = vec4(1.0); }\n";

}  // namespace

// The first of the twelve substrings found anywhere in the name decides.
TEST_F(ShaderPrograms, StageIsChosenByTheFirstSubstringInTableOrder) {
    stage("post.vs.frag", passVertex);
    stage("blur.fsh", colourFragment);
    stage("pass.vert", passVertex);
    stage("ctrl.tesc",
          "layout(vertices = 3) out;\nvoid main() {\n"
          "  gl_out[gl_InvocationID].gl_Position = gl_in[gl_InvocationID].gl_Position;\n"
          "  gl_TessLevelInner[0] = 1.0;\n"
          "  gl_TessLevelOuter[0] = gl_TessLevelOuter[1] = gl_TessLevelOuter[2] = 1.0;\n"
          "}\n");
    stage("eval.tes",
          "layout(triangles) in;\nvoid main() {\n"
          "  gl_Position = gl_TessCoord.x * gl_in[0].gl_Position +\n"
          "    gl_TessCoord.y * gl_in[1].gl_Position + gl_TessCoord.z * gl_in[2].gl_Position;\n"
          "}\n");
    stage("lines.gs",
          "layout(triangles) in;\nlayout(line_strip, max_vertices = 2) out;\n"
          "void main() { gl_Position = gl_in[0].gl_Position; EmitVertex();\n"
          "  gl_Position = gl_in[1].gl_Position; EmitVertex(); EndPrimitive(); }\n");
    stage("work.cs", "layout(local_size_x = 1) in;\nvoid main() {}\n");

    ShaderProgram* a = new ShaderProgram("a", {"post.vs.frag", "blur.fsh"});
    ShaderProgram* b = new ShaderProgram("b", {"pass.vert", "ctrl.tesc", "eval.tes", "blur.fsh"});
    ShaderProgram* c = new ShaderProgram("c", {"pass.vert", "lines.gs", "blur.fsh"});
    ShaderProgram* d = new ShaderProgram("d", {"work.cs"});
    EXPECT_EQ(typeOf(a, "post.vs.frag"), GLenum(GL_VERTEX_SHADER));
    EXPECT_EQ(typeOf(a, "blur.fsh"), GLenum(GL_FRAGMENT_SHADER));
    EXPECT_EQ(typeOf(b, "ctrl.tesc"), GLenum(GL_TESS_CONTROL_SHADER));
    EXPECT_EQ(typeOf(b, "eval.tes"), GLenum(GL_TESS_EVALUATION_SHADER));
    EXPECT_EQ(typeOf(c, "lines.gs"), GLenum(GL_GEOMETRY_SHADER));
    EXPECT_EQ(typeOf(d, "work.cs"), GLenum(GL_COMPUTE_SHADER));
    // Shaders were flagged for deletion after linking: they go with the program.
    GLint flagged = GL_FALSE;
    GLuint shaders[4];
    GLsizei count = 0;
    glGetAttachedShaders(b->programId, 4, &count, shaders);
    ASSERT_EQ(count, 4);
    for (GLuint s : shaders) {
        glGetShaderiv(s, GL_DELETE_STATUS, &flagged);
        EXPECT_EQ(flagged, GL_TRUE);
    }
}

TEST_F(ShaderPrograms, RegistryFindsTheEarlierOfTwoNamesakesAndUnregistersOnDelete) {
    ShaderProgram* first = new ShaderProgram("dup", {"basic.vert", "basic.frag"});
    ShaderProgram* other = new ShaderProgram("other", {"basic.vert", "basic.frag"});
    ShaderProgram* second = new ShaderProgram("dup", {"basic.vert", "basic.frag"});
    ASSERT_EQ(shaderPrograms, (std::vector<ShaderProgram*>{first, other, second}));
    EXPECT_EQ(getShaderProgram("dup"), first);
    EXPECT_EQ(getShaderProgram("other"), other);

    GLuint firstId = first->programId;
    delete first;
    EXPECT_FALSE(glIsProgram(firstId));
    EXPECT_EQ(getShaderProgram("dup"), second);
    EXPECT_EQ(shaderPrograms, (std::vector<ShaderProgram*>{other, second}));

    // Shutdown order: the last registered goes first, and the registry ends empty.
    delete shaderPrograms.back();
    EXPECT_EQ(shaderPrograms, (std::vector<ShaderProgram*>{other}));
    delete shaderPrograms.back();
    EXPECT_TRUE(shaderPrograms.empty());
}

TEST_F(ShaderPrograms, MissingUniformWarnsOncePresentOneIsSilentAndCached) {
    assets.writeShader("unused.frag",
                       "#version 430 core\nuniform vec4 color;\nuniform float unusedValue;\n"
                       "out vec4 c;\nvoid main() { c = color; }\n");
    ShaderProgram* p = new ShaderProgram("final", {"basic.vert", "unused.frag"});

    testing::internal::CaptureStdout();
    GLint color = p->uniformLocation("color");
    GLint missing1 = p->uniformLocation("unusedValue");
    GLint missing2 = p->uniformLocation("unusedValue");
    std::string out = testing::internal::GetCapturedStdout();

    EXPECT_GE(color, 0);
    EXPECT_EQ(missing1, -1);
    EXPECT_EQ(missing2, -1);
    EXPECT_EQ(out, "WARNING: uniform \"unusedValue\" not found in program final\n");

    // Cached: answered without GL even once the program is gone.
    glDeleteProgram(p->programId);
    p->programId = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(p->uniformLocation("color"), color);
    EXPECT_EQ(p->uniformLocation("unusedValue"), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(ShaderPrograms, BuildAndLookupFailuresAreFatal) {
    assets.writeShader("quad.glsl", "#version 430 core\nvoid main() {}\n");
    assets.writeShader("needs_input.frag",
                       "#version 430 core\nin vec3 missingVarying;\nout vec4 c;\n"
                       "void main() { c = vec4(missingVarying, 1.0); }\n");

    ChildResult unknown =
        runFatalScenario({assets.dir(), "program", "p", "basic.vert", "quad.glsl"});
    EXPECT_EQ(unknown.out, "FATAL ERROR: Unknown shader type: quad.glsl\n");
    EXPECT_EQ(unknown.exitStatus, 255);

    ChildResult link =
        runFatalScenario({assets.dir(), "program", "p", "basic.vert", "needs_input.frag"});
    const std::string prefix = "FATAL ERROR: ERROR linking shader program: ";
    EXPECT_EQ(link.out.rfind(prefix, 0), 0u) << link.out;
    EXPECT_GT(link.out.size(), prefix.size() + 1) << "the linker's log follows";
    EXPECT_EQ(link.exitStatus, 255);

    ChildResult lookup = runFatalScenario({assets.dir(), "lookup", "Final"});
    EXPECT_EQ(lookup.out, "FATAL ERROR: Shader Final is not loaded\n");
    EXPECT_EQ(lookup.exitStatus, 255);

    ChildResult found = runFatalScenario({assets.dir(), "lookup", "final"});
    EXPECT_EQ(found.out, "survived\n");
    EXPECT_EQ(found.exitStatus, 0);
}
