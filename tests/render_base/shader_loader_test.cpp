#include <gtest/gtest.h>

#include "fatal_scenario.h"
#include "gl_context.h"
#include "render/shader_program.h"
#include "shader_test_util.h"
#include "test_assets.h"

namespace {

const char* const fragmentBody = "out vec4 c;\nvoid main() { c = vec4(a); }\n";

class ShaderLoader : public testing::Test {
  protected:
    void SetUp() override {
        if (!testGLWindow()) GTEST_SKIP() << "no OpenGL display";
        assets.writeStandardSet();
        assets.writeShader("note.glsl", "// note\n");
        assets.writeShader("decl.glsl", "const float a = 0.5;\n#include \"note.glsl\"");
    }
    void TearDown() override { deleteAllPrograms(); }

    // The fragment text the compiler received for a stage file.
    std::string compiledFragment(const std::string& file) {
        ShaderProgram* p = new ShaderProgram("p", {"basic.vert", file});
        return stageContaining(p->programId, "void main() { c").source;
    }

    ChildResult fatal(const std::vector<std::string>& files) {
        std::vector<std::string> args = {assets.dir(), "program", "p"};
        args.insert(args.end(), files.begin(), files.end());
        return runFatalScenario(args);
    }

    TestAssets assets;
};

}  // namespace

TEST_F(ShaderLoader, ExpandsNestedRepeatedAndTabSeparatedIncludesKeepingTheRestOfTheLine) {
    assets.writeShader("main.frag", std::string("#version 430 core\n") +
                                        "#include \"decl.glsl\" // trailing\n"
                                        "#include\t\"note.glsl\"\n"
                                        "#include \"note.glsl\"\n" +
                                        fragmentBody);
    EXPECT_EQ(compiledFragment("main.frag"),
              std::string("#version 430 core\n"
                          "const float a = 0.5;\n// note\n // trailing\n"
                          "// note\n\n"
                          "// note\n\n") +
                  fragmentBody);
}

TEST_F(ShaderLoader, DirectiveInsideACommentIsExpandedToo) {
    assets.writeShader("decl_nl.glsl", "\nconst float a = 0.5;");
    assets.writeShader("main.frag", std::string("#version 430 core\n") +
                                        "// see #include \"decl_nl.glsl\"\n" + fragmentBody);
    EXPECT_EQ(compiledFragment("main.frag"),
              std::string("#version 430 core\n// see \nconst float a = 0.5;\n") + fragmentBody);
}

TEST_F(ShaderLoader, DefinesGoBeforeTheFirstMarkerOnly) {
    const std::string text = std::string("#version 430 core\n") +
                             "//##SHADERLOADER:INSERTDEFINES##\n" +
                             "//##SHADERLOADER:INSERTDEFINES##\n" + "#ifndef A\n#define A 0.25\n" +
                             "#endif\nconst float a = A;\n" + fragmentBody;
    assets.writeShader("defines.frag", text);
    EXPECT_EQ(compiledFragment("defines.frag"), text) << "an empty define list changes nothing";

    shaderDefines = {"#define A 1.0\n", "#define B 2\n"};
    std::string withDefines = compiledFragment("defines.frag");
    shaderDefines.clear();
    EXPECT_EQ(withDefines, std::string("#version 430 core\n#define A 1.0\n#define B 2\n") +
                               text.substr(std::string("#version 430 core\n").size()));
}

TEST_F(ShaderLoader, OneStageWithTheShadowMapMarkerMarksTheProgram) {
    assets.writeShader("shadow.frag", std::string("#version 430 core\n") +
                                          "//##SHADERLOADER:SHADER_NEEDS_SHADOWMAP##\n" +
                                          "const float a = 1.0;\n" + fragmentBody);
    ShaderProgram* plain = new ShaderProgram("plain", {"basic.vert", "basic.frag"});
    ShaderProgram* marked = new ShaderProgram("marked", {"basic.vert", "shadow.frag"});
    EXPECT_FALSE(plain->needsShadowMap);
    EXPECT_TRUE(marked->needsShadowMap);
}

TEST_F(ShaderLoader, EmptyFileReadsAsEmptyText) {
    assets.writeShader("empty.glsl", "");
    EXPECT_EQ(readShaderFile("empty.glsl"), "");
    EXPECT_EQ(readShaderFile("note.glsl"), "// note\n");
}

TEST_F(ShaderLoader, MalformedDirectivesAreFatalAndNameTheStageFile) {
    const std::string leading =
        "FATAL ERROR: ERROR: invalid #include syntax in shader (leading quotes missing) ";
    const std::string ending =
        "FATAL ERROR: ERROR: invalid #include syntax in shader (ending quotes missing) ";
    assets.writeShader("two_blanks.frag", "#version 430 core\n#include  \"note.glsl\"\n");
    assets.writeShader("ends_after_keyword.frag", "#version 430 core\n#include");
    assets.writeShader("ends_after_blank.frag", "#version 430 core\n#include ");
    assets.writeShader("no_close.frag", "#version 430 core\n#include \"note.glsl\n");
    assets.writeShader("bad_inner.glsl", "#include <note.glsl>\n");
    assets.writeShader("via_include.frag", "#version 430 core\n#include \"bad_inner.glsl\"\n");
    const std::pair<const char*, std::string> cases[] = {
        {"two_blanks.frag", leading},       {"ends_after_keyword.frag", leading},
        {"ends_after_blank.frag", leading}, {"no_close.frag", ending},
        {"via_include.frag", leading},
    };
    for (const auto& [file, prefix] : cases) {
        ChildResult r = fatal({"basic.vert", file});
        EXPECT_EQ(r.out, prefix + "\"" + file + "\"\n");
        EXPECT_EQ(r.exitStatus, 255) << file;
    }
}

TEST_F(ShaderLoader, UnreadableFilesAreFatalWithTheNameAsWritten) {
    // Without a closing quote on its line the name runs to the next quote.
    assets.writeShader("late_quote.frag",
                       "#version 430 core\n#include \"note.glsl\nvoid main() {}\n// \"\n");
    assets.writeShader("absent_include.frag", "#version 430 core\n#include \"absent.glsl\"\n");
    const std::pair<const char*, const char*> cases[] = {
        {"late_quote.frag", "note.glsl\nvoid main() {}\n// "},
        {"absent_include.frag", "absent.glsl"},
        {"absent.frag", "absent.frag"},
    };
    for (const auto& [file, named] : cases) {
        ChildResult r = fatal({"basic.vert", file});
        EXPECT_EQ(r.out, std::string("FATAL ERROR: ERROR loading shader file \"") + named + "\"\n");
        EXPECT_EQ(r.exitStatus, 255) << file;
    }
}

TEST_F(ShaderLoader, CyclicIncludesEndWithAClearMessageInsteadOfGrowingForever) {
    assets.writeShader("ping.glsl", "// ping\n#include \"pong.glsl\"\n");
    assets.writeShader("pong.glsl", "// pong\n#include \"ping.glsl\"\n");
    assets.writeShader("cycle.frag", "#version 430 core\n#include \"ping.glsl\"\n");
    ChildResult r = fatal({"basic.vert", "cycle.frag"});
    EXPECT_EQ(r.out,
              "FATAL ERROR: ERROR: more than 1000 #include expansions in shader \"cycle.frag\"; "
              "do its includes form a cycle?\n");
    EXPECT_EQ(r.exitStatus, 255);
}

TEST_F(ShaderLoader, CompileErrorIsFatalWithTheDriversLog) {
    assets.writeShader("bad.frag", "#version 430 core\nvoid main() { undeclared = 1.0; }\n");
    ChildResult r = fatal({"basic.vert", "bad.frag"});
    const std::string prefix = "FATAL ERROR: ERROR compiling shader \"bad.frag\": ";
    ASSERT_EQ(r.out.rfind(prefix, 0), 0u) << r.out;
    EXPECT_NE(r.out.find("undeclared", prefix.size()), std::string::npos) << r.out;
    EXPECT_EQ(r.exitStatus, 255);
}
