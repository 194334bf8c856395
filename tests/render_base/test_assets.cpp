#include "test_assets.h"

#include <stb_image_write.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "render/shader_program.h"

namespace fs = std::filesystem;

const char* const octahedronOff =
    "OFF\n6 8 0\n"
    "1 0 0\n-1 0 0\n0 1 0\n0 -1 0\n0 0 1\n0 0 -1\n"
    "3 0 2 4\n3 2 1 4\n3 1 3 4\n3 3 0 4\n"
    "3 2 0 5\n3 1 2 5\n3 3 1 5\n3 0 3 5\n";

TestAssets::TestAssets() : previousAssetsDir(assetsDir) {
    std::string pattern = (fs::temp_directory_path() / "morvik-render-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root = pattern;
    for (const char* sub : {"shaders", "textures", "models"})
        fs::create_directory(root + "/" + sub);
    assetsDir = root;
}

TestAssets::~TestAssets() {
    assetsDir = previousAssetsDir;
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

void TestAssets::write(const std::string& relativePath, const std::string& text) const {
    fs::path path = fs::path(root) / relativePath;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

void TestAssets::writePng(const std::string& name, int width, int height, int channels,
                          const std::vector<unsigned char>& pixels) const {
    std::string path = root + "/textures/" + name;
    if (!stbi_write_png(path.c_str(), width, height, channels, pixels.data(), width * channels))
        throw std::runtime_error("cannot write " + path);
}

void TestAssets::writeStandardSet() const {
    // A 2 by 2 arrow with alpha; colour maps 5 texels wide, so RGB rows are
    // not a multiple of 4 bytes long.
    writePng("arrow.png", 2, 2, 4, {255, 0, 0, 255, 0, 255, 0, 0, 0, 0, 255, 128, 9, 9, 9, 9});
    std::vector<unsigned char> ramp;
    for (int i = 0; i < 5; ++i) {
        ramp.push_back(static_cast<unsigned char>(i * 60));
        ramp.push_back(static_cast<unsigned char>(255 - i * 60));
        ramp.push_back(static_cast<unsigned char>(i * 10));
    }
    for (const char* name : {"grad_WhGn.png", "grad_OrRd.png", "grad_magma.png"})
        writePng(name, 5, 1, 3, ramp);
    // The default colour map is a JPEG in the real set; stb_image reads it
    // by content, so an RGB PNG under that name serves here.
    writePng("grad_WhBu.jpg", 5, 1, 3, ramp);
    write("models/sphere.off", octahedronOff);
    writeShader("basic.vert",
                "#version 430 core\n"
                "layout(location = 0) in vec3 position;\n"
                "uniform mat4 mvp;\n"
                "void main() { gl_Position = mvp * vec4(position, 1.0); }\n");
    writeShader("basic.frag",
                "#version 430 core\n"
                "uniform vec4 color;\n"
                "out vec4 fragColor;\n"
                "void main() { fragColor = color; }\n");
}

void registerSevenPrograms() {
    for (const char* name :
         {"final", "sphere", "contour", "contour_line", "jfa", "debug", "render_tex"})
        new ShaderProgram(name, {"basic.vert", "basic.frag"});
}

void deleteAllPrograms() {
    while (!shaderPrograms.empty()) delete shaderPrograms.back();
}

LiveObjects countLiveObjects() {
    LiveObjects live;
    for (GLuint name = 1; name < 4096; ++name) {
        live.textures += glIsTexture(name);
        live.buffers += glIsBuffer(name);
        live.vertexArrays += glIsVertexArray(name);
        live.framebuffers += glIsFramebuffer(name);
        live.renderbuffers += glIsRenderbuffer(name);
    }
    return live;
}
