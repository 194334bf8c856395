#include "render/shader_program.h"
#include "test_assets.h"

namespace {

const std::string version = "#version 430 core\n";
const std::string body = "out vec4 c;\nvoid main() { c = vec4(a); }\n";

class ShaderLoader : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        assets.writeShader("note.glsl", "// note\n");
        assets.writeShader("decl.glsl", "const float a = 0.5;\n#include \"note.glsl\"");
    }
    // The fragment text the compiler received.
    std::string compiled(const std::string& text) {
        assets.writeShader("main.frag", text);
        ShaderProgram* p = new ShaderProgram("p", {"basic.vert", "main.frag"});
        return stageContaining(p->programId, "void main() { c").source;
    }
};

}  // namespace

// Nested, repeated, tab-separated and commented-out directives all expand;
// the rest of the directive's line stays.
TEST_F(ShaderLoader, ExpandsIncludesKeepingTheRestOfTheLine) {
    EXPECT_EQ(compiled(version + "#include \"decl.glsl\" // trailing\n#include\t\"note.glsl\"\n" +
                       "// see #include \"note.glsl\"\n" + body),
              version +
                  "const float a = 0.5;\n// note\n // trailing\n// note\n\n// see // note\n\n" +
                  body);
}

TEST_F(ShaderLoader, DefinesGoBeforeTheFirstMarkerAndTheShadowMarkerMarksTheProgram) {
    const std::string marker = "//##SHADERLOADER:INSERTDEFINES##\n";
    const std::string rest = marker + marker + "const float a = 1.0;\n" + body;
    EXPECT_EQ(compiled(version + rest), version + rest) << "no defines change nothing";
    shaderDefines = {"#define A 1.0\n", "#define B 2\n"};
    std::string withDefines = compiled(version + rest);
    shaderDefines.clear();
    EXPECT_EQ(withDefines, version + "#define A 1.0\n#define B 2\n" + rest);

    EXPECT_FALSE(shaderPrograms.back()->needsShadowMap);
    compiled(version + "//##SHADERLOADER:SHADER_NEEDS_SHADOWMAP##\nconst float a = 1.0;\n" + body);
    EXPECT_TRUE(shaderPrograms.back()->needsShadowMap);
}
