// Every fatal path of the render base, each in a process of its own (the
// render_base_fatal program): the exact message, or its start where the
// driver's log follows, and status 255.
#include <sys/stat.h>

#include <filesystem>

#include "test_assets.h"

using RenderFatal = RenderTest;

TEST_F(RenderFatal, EachFailureEndsTheProgramWithItsExactMessage) {
    namespace fs = std::filesystem;
    const std::string ok = testAssetsDir(), broken = ok + "-broken", bare = ok + "-absent";
    const std::string syntax = "FATAL ERROR: ERROR: invalid #include syntax in ";
    const std::string lead = syntax + "shader (leading quotes missing) ";
    const std::string loading = "FATAL ERROR: ERROR loading shader file \"";
    const std::string notRgb = "FATAL ERROR: Assertion failed: Invalid texture (not rgb)\n";
    const std::string noAlpha = "FATAL ERROR: Assertion failed: Invalid texture (no alpha)\n";
    fs::copy(ok, broken, fs::copy_options::recursive);  // an RGB arrow and no sphere model
    writePng("arrow.png", 2, 2, 3, std::vector<unsigned char>(12, 50), broken);
    fs::remove(broken + "/models/sphere.off");
    writePng("rgba_map.png", 5, 1, 4, std::vector<unsigned char>(20, 200));
    writeShader("quad.glsl", "#version 430 core\nvoid main() {}\n");
    writeShader("note.glsl", "// note\n");
    writeShader("bad_inner.glsl", "#include <note.glsl>\n");
    writeShader("ping.glsl", "#include \"pong.glsl\"\n");
    writeShader("pong.glsl", "#include \"ping.glsl\"\n");
    // Neither a named pipe (which would wait for a writer) nor a directory is a shader.
    const std::string shaders = ok + "/shaders/";
    fs::create_directory(shaders + "folder.frag");
    ASSERT_TRUE(fs::exists(shaders + "pipe.frag") ||
                mkfifo((shaders + "pipe.frag").c_str(), 0600) == 0);
    std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{ok, "init"}, "survived\n"},
        {{broken, "init"}, "FATAL ERROR: Failed to load sphere mesh\n"},
        {{ok, "framebuffer-twice"}, "FATAL ERROR: Framebuffer: already inited\n"},
        {{ok, "framebuffer-empty"},
         "FATAL ERROR: Framebuffer: creation failed, status code 36054. Called with w=0 h=0 "
         "cat=2[0]  dat=1[0] ms=0\n"},
        {{ok, "gradient", "rgba_map.png"}, notRgb},
        {{ok, "gradient", "absent.png"}, notRgb},
        {{broken, "decal"}, noAlpha},
        {{bare, "decal"}, noAlpha},
        {{ok, "lookup", "Final"}, "FATAL ERROR: Shader Final is not loaded\n"},  // no folding
        {{ok, "program", "p", "basic.vert", "quad.glsl"},
         "FATAL ERROR: Unknown shader type: quad.glsl\n"},
        {{ok, "program", "p", "basic.vert", "no.frag"}, loading + "no.frag\"\n"},
        {{ok, "program", "p", "basic.vert", "pipe.frag"}, loading + "pipe.frag\"\n"},
        {{ok, "program", "p", "basic.vert", "folder.frag"}, loading + "folder.frag\"\n"},
    };
    // Stage files with one fault each.
    const std::tuple<const char*, const char*, std::string> stages[] = {
        {"blanks.frag", "#include  \"note.glsl\"\n", lead + "\"blanks.frag\"\n"},
        {"bare.frag", "#include", lead + "\"bare.frag\"\n"},
        {"piped.frag", "#include \"pipe.frag\"\n", loading + "pipe.frag\"\n"},
        {"inner.frag", "#include \"bad_inner.glsl\"\n", lead + "\"inner.frag\"\n"},
        {"open.frag", "#include \"note.glsl\n",
         syntax + "shader (ending quotes missing) \"open.frag\"\n"},
        // Without a closing quote on its line the name runs to the next quote.
        {"late.frag", "#include \"note.glsl\nvoid main() {}\n// \"\n",
         loading + "note.glsl\nvoid main() {}\n// \"\n"},
        {"cycle.frag", "#include \"ping.glsl\"\n",
         "FATAL ERROR: ERROR: more than 1000 #include expansions in shader \"cycle.frag\"; do "
         "its includes form a cycle?\n"},
        {"compile.frag", "void main() { undeclared = 1.0; }\n",
         "FATAL ERROR: ERROR compiling shader \"compile.frag\": "},
        {"link.frag", "in vec3 missing;\nout vec4 c;\nvoid main() { c = vec4(missing, 1.0); }\n",
         "FATAL ERROR: ERROR linking shader program: "},
    };
    for (const auto& [file, text, message] : stages) {
        writeShader(file, std::string("#version 430 core\n") + text);
        cases.push_back({{ok, "program", "p", "basic.vert", file}, message});
    }
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        ChildResult c = runProgram(RENDER_BASE_FATAL, args, "", 60.0);
        const bool whole = message.back() == '\n';
        EXPECT_EQ(whole ? c.out : c.out.substr(0, message.size()), message);
        EXPECT_TRUE(whole || c.out.size() > message.size() + 1) << "no log follows";
        EXPECT_EQ(c.exitStatus, message == "survived\n" ? 0 : 255);
    }
    fs::remove_all(broken);
}
