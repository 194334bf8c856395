// Every fatal path, each in a process of its own (this program run as
// "--fatal ASSETS_DIR SCENARIO [ARG]"): the exact message, or its start where
// the driver's log follows, and status 255; one that returns says "survived".
#include <dlfcn.h>
#include <stb_image_write.h>
#include <sys/stat.h>

#include <fstream>
#include <regex>

#include "child_process.h"
#include "render_scene.h"

using RenderFatal = RenderScene;

// As a driver of OpenGL 4.3 core leaves them: every entry point of a later
// version (and of the old DSA extension) that GLEW knows, nulled, so that a
// call of one crashes.
static void forgetEntryPointsAfterOpenGL43() {
    // The sections of GLEW's header that hold them.
    const std::string later =
        " GL_VERSION_4_4 GL_VERSION_4_5 GL_VERSION_4_6 GL_ARB_buffer_storage GL_ARB_clear_texture"
        " GL_ARB_multi_bind GL_ARB_clip_control GL_ARB_direct_state_access GL_ARB_texture_barrier"
        " GL_ARB_get_texture_sub_image GL_KHR_robustness GL_ARB_ES3_1_compatibility GL_ARB_gl_spirv"
        " GL_ARB_indirect_parameters GL_ARB_polygon_offset_clamp GL_EXT_direct_state_access ";
    const std::regex section("#ifndef (GL_\\w+)"),
        entry("#define gl\\w+ GLEW_GET_FUN\\((__glew\\w+)\\)");
    std::ifstream header(MORVIK_GLEW_HEADER);
    std::string line, in;
    int nulled = 0;
    for (std::smatch m; std::getline(header, line);) {
        if (std::regex_match(line, m, section)) in = m[1];
        if (later.find(' ' + in + ' ') != std::string::npos && std::regex_match(line, m, entry))
            if (auto p = static_cast<void**>(dlsym(RTLD_DEFAULT, m[1].str().c_str())))
                *p = nullptr, ++nulled;
    }
    if (nulled < 200) std::cout << "only " << nulled << " entry points found" << std::endl;
}

static void runScenario(const std::string& scenario, const std::string& arg) {
    Framebuffer fb;
    if (scenario == "program") new ShaderProgram("p", {"quad.vert", arg});
    if (scenario == "lookup") {
        new ShaderProgram("final", {"quad.vert", "quad.frag"});
        getShaderProgram(arg);
    }
    if (scenario == "framebuffer") fb.init(arg == "empty" ? 0 : 4, 4, 1, 3), fb.init(4, 4, 0, 1);
    if (scenario == "texture")
        arg.empty() ? renderer.loadDecalTexture() : renderer.loadGradientTexture(arg);
    if (scenario == "init") fbWidth = fbHeight = 16, createShaderPrograms(), renderer.init();
    if (scenario == "draw") renderer.draw(glm::mat4(1.0f), glm::mat4(1.0f), false);
    if (scenario == "opengl43") {  // start, a mesh, a resize and a frame
        forgetEntryPointsAfterOpenGL43();
        fbWidth = fbHeight = 16, createShaderPrograms(), renderer.init();
        testing::internal::CaptureStdout();
        renderer.loadMeshFile(arg + "/models/sphere.off");
        testing::internal::GetCapturedStdout();
        renderer.width = 24, renderer.height = 20, renderer.createFramebuffers();
        renderer.draw(glm::scale(glm::mat4(1.0f), glm::vec3(0.5f)), glm::mat4(1.0f), true);
        if (glGetError() != GL_NO_ERROR) std::cout << "GL error" << std::endl;
    }
    std::cout << "survived" << std::endl;
}

int main(int argc, char** argv) {
    if (argc >= 4 && std::string(argv[1]) == "--fatal" && testGLWindow()) {
        assetsDir = argv[2];
        runScenario(argv[3], argc > 4 ? argv[4] : "");
        return 0;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

TEST_F(RenderFatal, EachFailureEndsTheProgramWithItsExactMessage) {
    namespace fs = std::filesystem;
    const std::string ok = testAssetsDir(), broken = ok + "-broken", bare = ok + "-absent";
    const std::string fatal = "FATAL ERROR: ", include = fatal + "ERROR: invalid #include syntax ";
    const std::string lead = include + "in shader (leading quotes missing) \"";
    const std::string loading = fatal + "ERROR loading shader file \"";
    const std::string notRgb = fatal + "Assertion failed: Invalid texture (not rgb)\n";
    const std::string noAlpha = fatal + "Assertion failed: Invalid texture (no alpha)\n";
    fs::copy(ok, broken, fs::copy_options::recursive);  // an RGB arrow and no sphere model
    const std::vector<unsigned char> grey(20, 200);
    stbi_write_png((broken + "/textures/arrow.png").c_str(), 2, 2, 3, grey.data(), 6);
    stbi_write_png((ok + "/textures/rgba_map.png").c_str(), 5, 1, 4, grey.data(), 20);
    fs::remove(broken + "/models/sphere.off");
    // Neither a named pipe (which would wait for a writer) nor a folder is a shader.
    fs::create_directory(ok + "/shaders/folder.frag");
    mkfifo((ok + "/shaders/pipe.frag").c_str(), 0600);
    std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{ok, "init"}, "survived\n"},
        {{ok, "opengl43", ok}, "survived\n"},
        {{broken, "init"}, fatal + "Failed to load sphere mesh\n"},
        {{ok, "draw"}, fatal + "Assertion failed: Mesh not inited\n"},
        {{ok, "framebuffer"}, fatal + "Framebuffer: already inited\n"},
        {{ok, "framebuffer", "empty"},
         fatal + "Framebuffer: creation failed, status code 36054. "
                 "Called with w=0 h=4 cat=2[0]  dat=1[0] ms=0\n"},
        {{ok, "texture", "rgba_map.png"}, notRgb},
        {{ok, "texture", "absent.png"}, notRgb},
        {{broken, "texture"}, noAlpha},
        {{bare, "texture"}, noAlpha},
        {{ok, "lookup", "Final"}, fatal + "Shader Final is not loaded\n"},  // no case folding
        {{ok, "program", "quad.glsl"}, fatal + "Unknown shader type: quad.glsl\n"},
    };
    for (const char* file : {"no.frag", "pipe.frag", "folder.frag"})
        cases.push_back({{ok, "program", file}, loading + file + "\"\n"});
    for (auto [file, text, message] :
         std::initializer_list<std::tuple<const char*, const char*, std::string>>{
             {"note.glsl", "// note\n", ""},
             {"bad_inner.glsl", "#include <note.glsl>\n", ""},
             {"ping.glsl", "#include \"pong.glsl\"\n", ""},
             {"pong.glsl", "#include \"ping.glsl\"\n", ""},
             {"blanks.frag", "#include  \"note.glsl\"\n", lead + "blanks.frag\"\n"},
             {"bare.frag", "#include", lead + "bare.frag\"\n"},
             {"piped.frag", "#include \"pipe.frag\"\n", loading + "pipe.frag\"\n"},
             {"inner.frag", "#include \"bad_inner.glsl\"\n", lead + "inner.frag\"\n"},
             {"open.frag", "#include \"note.glsl\n",
              include + "in shader (ending quotes missing) \"open.frag\"\n"},
             // Without a closing quote on its line the name runs to the next quote.
             {"late.frag", "#include \"note.glsl\nvoid main() {}\n// \"\n",
              loading + "note.glsl\nvoid main() {}\n// \"\n"},
             {"cycle.frag", "#include \"ping.glsl\"\n",
              fatal + "ERROR: more than 1000 #include expansions in shader \"cycle.frag\"; do its "
                      "includes form a cycle?\n"},
             {"compile.frag", "void main() { undeclared = 1.0; }\n",
              fatal + "ERROR compiling shader \"compile.frag\": "},
             {"link.frag",
              "in vec3 missing;\nout vec4 c;\nvoid main() { c = vec4(missing, 1.0); }\n",
              fatal + "ERROR linking shader program: "}}) {
        writeShader(file, message.empty() ? text : std::string("#version 430 core\n") + text);
        if (!message.empty()) cases.push_back({{ok, "program", file}, message});
    }
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        std::vector<std::string> fatalArgs = args;
        fatalArgs.insert(fatalArgs.begin(), "--fatal");
        ChildResult c = runProgram("/proc/self/exe", fatalArgs, "", 60.0);
        const bool whole = message.back() == '\n';
        EXPECT_EQ(whole ? c.out : c.out.substr(0, message.size()), message);
        EXPECT_TRUE(whole || c.out.size() > message.size() + 1) << "no log follows";
        EXPECT_EQ(c.exitStatus, message == "survived\n" ? 0 : 255);
    }
    fs::remove_all(broken);
}
