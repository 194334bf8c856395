#include "render/shader_program.h"
#include "test_assets.h"

using ShaderPrograms = RenderTest;

// The first substring of the stage table found anywhere in the name decides:
// "post.vs.frag" is a vertex stage.
TEST_F(ShaderPrograms, StageIsChosenByTheFirstSubstringInTableOrder) {
    const std::string v = "#version 430 core\n// ";
    assets.writeShader("post.vs.frag",
                       v + "post.vs.frag\nvoid main() { gl_Position = vec4(0); }\n");
    assets.writeShader("blur.fsh", v + "blur.fsh\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n");
    assets.writeShader("work.cs", v + "work.cs\nlayout(local_size_x = 1) in;\nvoid main() {}\n");
    GLuint a = (new ShaderProgram("a", {"post.vs.frag", "blur.fsh"}))->programId;
    GLuint b = (new ShaderProgram("b", {"work.cs"}))->programId;
    const std::tuple<GLuint, const char*, GLenum> stages[] = {
        {a, "// post.vs.frag", GL_VERTEX_SHADER},
        {a, "// blur.fsh", GL_FRAGMENT_SHADER},
        {b, "// work.cs", GL_COMPUTE_SHADER}};
    for (auto [program, tag, type] : stages) {
        AttachedStage stage = stageContaining(program, tag);
        EXPECT_EQ(stage.type, type) << tag;
        GLint flagged = GL_FALSE;  // so that the shaders go with the program
        glGetShaderiv(stage.shader, GL_DELETE_STATUS, &flagged);
        EXPECT_EQ(flagged, GL_TRUE);
    }
}

TEST_F(ShaderPrograms, RegistryFindsTheEarlierNamesakeAndUnregistersOnDelete) {
    ShaderProgram* first = new ShaderProgram("dup", {"basic.vert", "basic.frag"});
    ShaderProgram* other = new ShaderProgram("other", {"basic.vert", "basic.frag"});
    ShaderProgram* second = new ShaderProgram("dup", {"basic.vert", "basic.frag"});
    EXPECT_EQ(getShaderProgram("dup"), first);
    GLuint firstId = first->programId;
    delete first;
    EXPECT_FALSE(glIsProgram(firstId));
    EXPECT_EQ(getShaderProgram("dup"), second);
    EXPECT_EQ(shaderPrograms, (std::vector<ShaderProgram*>{other, second}));
}

TEST_F(ShaderPrograms, MissingUniformWarnsOnceAndLocationsAreCached) {
    ShaderProgram* p = new ShaderProgram("final", {"basic.vert", "basic.frag"});
    testing::internal::CaptureStdout();
    GLint color = p->uniformLocation("color");
    EXPECT_EQ(p->uniformLocation("unusedValue"), -1);
    EXPECT_EQ(p->uniformLocation("unusedValue"), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "WARNING: uniform \"unusedValue\" not found in program final\n");
    EXPECT_GE(color, 0);
    glDeleteProgram(p->programId);  // cached: answered without GL once the program is gone
    p->programId = 0;
    EXPECT_EQ(p->uniformLocation("color"), color);
}
