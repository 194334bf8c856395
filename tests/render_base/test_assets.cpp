#include "test_assets.h"

#include <stb_image_write.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "render/framebuffer.h"
#include "render/shader_program.h"

namespace fs = std::filesystem;

TestAssets::TestAssets() : previousAssetsDir(assetsDir) {
    std::string pattern = (fs::temp_directory_path() / "morvik-render-XXXXXX").string();
    root = assetsDir = mkdtemp(pattern.data());
    for (const char* sub : {"shaders", "textures", "models"})
        fs::create_directory(root + "/" + sub);
}

TestAssets::~TestAssets() {
    assetsDir = previousAssetsDir;
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

void TestAssets::writeShader(const std::string& name, const std::string& text) const {
    std::ofstream(root + "/shaders/" + name, std::ios::binary) << text;
}

void TestAssets::writePng(const std::string& name, int width, int height, int channels,
                          const std::vector<unsigned char>& pixels) const {
    std::string path = root + "/textures/" + name;
    ASSERT_TRUE(
        stbi_write_png(path.c_str(), width, height, channels, pixels.data(), width * channels));
}

void TestAssets::writeStandardSet() const {
    const std::string data = MORVIK_SOURCE_DIR "/tests/render_base/data/";
    fs::copy_file(data + "sphere.off", root + "/models/sphere.off");
    for (const char* file : {"basic.vert", "basic.frag"})
        fs::copy_file(data + file, root + "/shaders/" + file);
    writePng("arrow.png", 2, 2, 4, {255, 0, 0, 255, 0, 255, 0, 0, 0, 0, 255, 128, 9, 9, 9, 9});
    std::vector<unsigned char> ramp;
    for (int i = 0; i < 15; ++i) ramp.push_back(static_cast<unsigned char>(i * 17));
    // stb_image reads by content, so a PNG serves under the default's .jpg name.
    for (const char* name : {"grad_WhBu.jpg", "grad_WhGn.png", "grad_OrRd.png", "grad_magma.png"})
        writePng(name, 5, 1, 3, ramp);
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
    LiveObjects live{};
    for (GLuint name = 1; name < 4096; ++name) {
        live[0] += glIsTexture(name);
        live[1] += glIsBuffer(name);
        live[2] += glIsVertexArray(name);
        live[3] += glIsFramebuffer(name);
        live[4] += glIsRenderbuffer(name);
    }
    return live;
}

AttachedStage stageContaining(GLuint program, const std::string& piece) {
    GLuint shaders[8];
    GLsizei count = 0;
    glGetAttachedShaders(program, 8, &count, shaders);
    for (GLsizei i = 0; i < count; ++i) {
        GLint type = 0, length = 0;
        glGetShaderiv(shaders[i], GL_SHADER_TYPE, &type);
        glGetShaderiv(shaders[i], GL_SHADER_SOURCE_LENGTH, &length);
        std::string source(length, '\0');
        if (length > 0) glGetShaderSource(shaders[i], length, nullptr, source.data());
        if (length > 0) source.pop_back();  // the terminating zero
        if (source.find(piece) != std::string::npos)
            return {static_cast<GLenum>(type), source, shaders[i]};
    }
    return {0, "", 0};
}

void RenderTest::SetUp() {
    if (!testGLWindow()) GTEST_SKIP() << "no OpenGL display";
    assets.writeStandardSet();
    baseline = countLiveObjects();
}

void RenderTest::TearDown() {
    if (!testGLWindow()) return;
    r.destroy();
    r.deleteFramebuffers();
    glDeleteTextures(1, &r.decalTextureId);
    glDeleteTextures(1, &r.gradientTextureId);
    deleteAllPrograms();
    fbWidth = fbHeight = 0;
}
