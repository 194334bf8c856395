#include "render/shader_program.h"
#include "test_assets.h"

using ShaderPrograms = RenderTest;

// The first substring of the stage table found anywhere in the name decides:
// "post.vs.frag" is a vertex stage.
TEST_F(ShaderPrograms, StageIsChosenByTheFirstSubstringInTableOrder) {
    const std::string v = "#version 430 core\n// ";
    assets.writeShader("post.vs.frag", v + "post.vs.frag\nlayout(location = 0) in vec3 p;\n" +
                                           "void main() { gl_Position = vec4(p, 1.0); }\n");
    assets.writeShader("blur.fsh", v + "blur.fsh\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n");
    assets.writeShader("lines.gs", v + "lines.gs\nlayout(triangles) in;\n" +
                                       "layout(line_strip, max_vertices = 2) out;\n" +
                                       "void main() { EmitVertex(); EmitVertex(); }\n");
    assets.writeShader("work.cs", v + "work.cs\nlayout(local_size_x = 1) in;\nvoid main() {}\n");
    GLuint a = (new ShaderProgram("a", {"post.vs.frag", "lines.gs", "blur.fsh"}))->programId;
    GLuint b = (new ShaderProgram("b", {"work.cs"}))->programId;
    const std::pair<GLuint, const char*> stages[] = {
        {a, "// post.vs.frag"}, {a, "// lines.gs"}, {a, "// blur.fsh"}, {b, "// work.cs"}};
    const GLenum types[] = {GL_VERTEX_SHADER, GL_GEOMETRY_SHADER, GL_FRAGMENT_SHADER,
                            GL_COMPUTE_SHADER};
    for (int i = 0; i < 4; ++i) {
        AttachedStage stage = stageContaining(stages[i].first, stages[i].second);
        EXPECT_EQ(stage.type, types[i]) << stages[i].second;
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
