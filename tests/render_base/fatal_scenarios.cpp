// One render operation that should end the program, run in a fresh process
// with its own GL context (a forked test would share the parent's context):
//   render_base_fatal ASSETS_DIR SCENARIO [ARG...]
// Prints "survived" and exits 0 when the operation returns.
#include "test_assets.h"

int main(int argc, char** argv) {
    if (argc < 3 || !testGLWindow()) return 2;
    assetsDir = argv[1];
    const std::string scenario = argv[2];
    std::vector<std::string> args(argv + 3, argv + argc);
    Framebuffer fb;
    if (scenario == "program" && !args.empty()) {
        new ShaderProgram(args[0], std::vector<std::string>(args.begin() + 1, args.end()));
    } else if (scenario == "lookup" && args.size() == 1) {
        new ShaderProgram("final", {"basic.vert", "basic.frag"});
        getShaderProgram(args[0]);
    } else if (scenario == "framebuffer-twice") {
        fb.init(4, 4, 0, 1);
        fb.init(4, 4, 0, 1);
    } else if (scenario == "framebuffer-empty") {
        fb.init(0, 0, 1, 3);
    } else if (scenario == "decal") {
        renderer.loadDecalTexture();
    } else if (scenario == "gradient" && args.size() == 1) {
        renderer.loadGradientTexture(args[0]);
    } else if (scenario == "init") {
        fbWidth = fbHeight = 16;
        registerSevenPrograms();
        renderer.init();
    } else {
        return 2;
    }
    std::cout << "survived" << std::endl;
    return 0;
}
