// The shader loader (includes, defines, markers, stage choice) and the
// program registry with its uniform cache.
#include "test_assets.h"

using Shaders = RenderTest;

// The fragment text the compiler received for a stage file of this text.
static std::string compiled(const std::string& text) {
    writeShader("main.frag", "#version 430 core\n" + text);
    ShaderProgram* p = new ShaderProgram("p", {"basic.vert", "main.frag"});
    return stageContaining(p->programId, "void main() { c").source;
}

// Nested, repeated, tab-separated and commented-out directives all expand;
// the rest of the directive's line stays. Defines go before the first marker
// only, and the shadow marker marks the program.
TEST_F(Shaders, IncludesExpandAndDefinesGoBeforeTheFirstMarker) {
    const std::string body = "out vec4 c;\nvoid main() { c = vec4(a); }\n";
    writeShader("note.glsl", "// note\n");
    writeShader("decl.glsl", "const float a = 0.5;\n#include \"note.glsl\"");
    EXPECT_EQ(compiled("#include \"decl.glsl\" // trailing\n#include\t\"note.glsl\"\n"
                       "// see #include \"note.glsl\"\n" +
                       body),
              "#version 430 core\nconst float a = 0.5;\n// note\n // trailing\n// note\n\n"
              "// see // note\n\n" +
                  body);

    const std::string marker = "//##SHADERLOADER:INSERTDEFINES##\n";
    const std::string rest = marker + marker + "const float a = 1.0;\n" + body;
    shaderDefines = {"#define A 1.0\n", "#define B 2\n"};
    const std::string withDefines = compiled(rest);
    shaderDefines.clear();
    EXPECT_EQ(withDefines, "#version 430 core\n#define A 1.0\n#define B 2\n" + rest);
    EXPECT_FALSE(shaderPrograms.back()->needsShadowMap);
    compiled("//##SHADERLOADER:SHADER_NEEDS_SHADOWMAP##\nconst float a = 1.0;\n" + body);
    EXPECT_TRUE(shaderPrograms.back()->needsShadowMap);
}

// The first substring of the stage table found anywhere in the name decides:
// "post.vs.frag" is a vertex stage. The stages go with their program.
TEST_F(Shaders, StageIsChosenByTheFirstSubstringInTableOrder) {
    const std::string v = "#version 430 core\n// ";
    writeShader("post.vs.frag", v + "post.vs.frag\nvoid main() { gl_Position = vec4(0); }\n");
    writeShader("blur.fsh", v + "blur.fsh\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n");
    const GLuint a = (new ShaderProgram("a", {"post.vs.frag", "blur.fsh"}))->programId;
    for (auto [tag, type] :
         {std::pair{"// post.vs.frag", GL_VERTEX_SHADER}, {"// blur.fsh", GL_FRAGMENT_SHADER}}) {
        AttachedStage stage = stageContaining(a, tag);
        GLint flagged = GL_FALSE;
        glGetShaderiv(stage.shader, GL_DELETE_STATUS, &flagged);
        EXPECT_TRUE(stage.type == GLint(type) && flagged == GL_TRUE) << tag;
    }
}

TEST_F(Shaders, RegistryFindsTheEarlierNamesakeAndCachesUniformsWarningOnce) {
    ShaderProgram* first = new ShaderProgram("dup", {"basic.vert", "basic.frag"});
    ShaderProgram* other = new ShaderProgram("final", {"basic.vert", "basic.frag"});
    ShaderProgram* second = new ShaderProgram("dup", {"basic.vert", "basic.frag"});
    EXPECT_EQ(getShaderProgram("dup"), first);
    const GLuint firstId = first->programId;
    delete first;
    EXPECT_FALSE(glIsProgram(firstId));
    EXPECT_EQ(getShaderProgram("dup"), second);
    EXPECT_EQ(shaderPrograms, (std::vector<ShaderProgram*>{other, second}));

    testing::internal::CaptureStdout();
    const GLint color = other->uniformLocation("color");
    EXPECT_EQ(other->uniformLocation("unusedValue") + other->uniformLocation("unusedValue"), -2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "WARNING: uniform \"unusedValue\" not found in program final\n");
    EXPECT_GE(color, 0);
    glDeleteProgram(other->programId);  // cached: answered without GL once the program is gone
    other->programId = 0;
    EXPECT_EQ(other->uniformLocation("color"), color);
}
