// Runs one render operation that is expected to end the program, inside a
// fresh process with its own GL context.
//   render_base_fatal ASSETS_DIR SCENARIO [ARGS...]
// Prints "survived" and exits 0 when the operation returns.

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "gl_context.h"
#include "render/framebuffer.h"
#include "render/renderer.h"
#include "render/shader_program.h"
#include "test_assets.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s ASSETS_DIR SCENARIO [ARGS...]\n", argv[0]);
        return 2;
    }
    if (!testGLWindow()) {
        std::fprintf(stderr, "no OpenGL context\n");
        return 3;
    }
    assetsDir = argv[1];
    const std::string scenario = argv[2];
    std::vector<std::string> args(argv + 3, argv + argc);

    if (scenario == "program" && !args.empty()) {
        new ShaderProgram(args[0], std::vector<std::string>(args.begin() + 1, args.end()));
    } else if (scenario == "lookup" && args.size() == 1) {
        new ShaderProgram("final", {"basic.vert", "basic.frag"});
        getShaderProgram(args[0]);
    } else if (scenario == "framebuffer-twice") {
        Framebuffer fb;
        fb.init(4, 4, 0, 1);
        fb.init(4, 4, 0, 1);
    } else if (scenario == "framebuffer-size" && args.size() == 3) {
        Framebuffer fb;
        fb.init(std::atoi(args[0].c_str()), std::atoi(args[1].c_str()), std::atoi(args[2].c_str()),
                3);
    } else if (scenario == "decal") {
        renderer.loadDecalTexture();
    } else if (scenario == "gradient" && args.size() == 1) {
        renderer.loadGradientTexture(args[0]);
    } else if (scenario == "init") {
        fbWidth = fbHeight = 16;
        registerSevenPrograms();
        renderer.init();
    } else {
        std::fprintf(stderr, "unknown scenario %s\n", scenario.c_str());
        return 2;
    }
    std::cout << "survived" << std::endl;
    return 0;
}
