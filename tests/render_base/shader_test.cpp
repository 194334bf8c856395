#include "render_scene.h"

using Shaders = RenderScene;

// The source and type of the program's stage whose source holds `piece`.
static std::pair<std::string, GLint> stage(GLuint program, const std::string& piece) {
    GLuint shaders[8];
    GLsizei count = 0, length = 0;
    glGetAttachedShaders(program, 8, &count, shaders);
    for (std::string text(1 << 16, '\0'); count-- > 0; text.assign(1 << 16, '\0')) {
        glGetShaderSource(shaders[count], GLsizei(text.size()), &length, text.data());
        GLint type = 0;
        glGetShaderiv(shaders[count], GL_SHADER_TYPE, &type);
        if (text.resize(length), text.find(piece) != std::string::npos) return {text, type};
    }
    return {};
}

static std::string compiled(const std::string& text) {
    writeShader("main.frag", "#version 430 core\n" + text);
    ShaderProgram* p = new ShaderProgram("p", {"quad.vert", "main.frag"});
    return stage(p->programId, "void main() { c").first;
}

// Nested, repeated, tab-separated and commented-out directives all expand;
// the rest of the directive's line stays. Defines go before the first marker
// only, and the shadow marker marks the program. The first substring of the
// stage table found anywhere in a name decides: "post.vs.frag" is a vertex stage.
TEST_F(Shaders, IncludesDefinesStagesAndTheRegistryWithItsUniformCache) {
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

    const std::string v = "#version 430 core\n// ";
    writeShader("post.vs.frag", v + "post.vs.frag\nvoid main() { gl_Position = vec4(0); }\n");
    writeShader("blur.fsh", v + "blur.fsh\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n");
    const GLuint a = (new ShaderProgram("a", {"post.vs.frag", "blur.fsh"}))->programId;
    EXPECT_EQ(stage(a, "// post").second, GLint(GL_VERTEX_SHADER));
    EXPECT_EQ(stage(a, "// blur").second, GLint(GL_FRAGMENT_SHADER));

    // The registry gives the earlier of two namesakes; the uniform cache warns once.
    ShaderProgram* first = new ShaderProgram("dup", {"quad.vert", "quad.frag"});
    ShaderProgram* other = new ShaderProgram("other", {"quad.vert", "quad.frag"});
    ShaderProgram* second = new ShaderProgram("dup", {"quad.vert", "quad.frag"});
    EXPECT_EQ(getShaderProgram("dup"), first);
    const GLuint firstId = first->programId;
    delete first;
    EXPECT_FALSE(glIsProgram(firstId));
    EXPECT_EQ(getShaderProgram("dup"), second);
    EXPECT_EQ(std::vector(shaderPrograms.end() - 2, shaderPrograms.end()),
              (std::vector<ShaderProgram*>{other, second}));
    testing::internal::CaptureStdout();
    const GLint texFinal = other->uniformLocation("texFinal");
    EXPECT_EQ(other->uniformLocation("unusedValue") + other->uniformLocation("unusedValue"), -2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "WARNING: uniform \"unusedValue\" not found in program other\n");
    EXPECT_GE(texFinal, 0);
    glDeleteProgram(other->programId);  // cached: answered without GL once the program is gone
    other->programId = 0;
    EXPECT_EQ(other->uniformLocation("texFinal"), texFinal);
}
