#pragma once
// Helpers of the render base tests: a throw-away assets folder, the seven
// programs, a count of live GL objects and a fixture over them.
#include <GL/glew.h>
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <array>
#include <filesystem>
#include <fstream>

#include "child_process.h"
#include "gl_context.h"
#include "render/framebuffer.h"
#include "render/renderer.h"
#include "render/shader_program.h"
#include "scratch_dir.h"

// The tests' assets folder, a temporary copy of data/ made once per process:
// enough for Renderer::init with an octahedron as the sphere model,
// "basic.vert" and "basic.frag" (uniforms "mvp" and "color"), a 2 by 2 RGBA
// arrow and four RGB colour maps 5 texels wide (rows of 15 bytes; the .jpg is
// a PNG, which stb_image reads by content), removed at exit.
struct TestAssetsCopy : ScratchDir {
    TestAssetsCopy() : ScratchDir("morvik-render") {
        std::filesystem::copy(MORVIK_SOURCE_DIR "/tests/render_base/data", path,
                              std::filesystem::copy_options::recursive);
    }
};
inline const std::string& testAssetsDir() {
    static const TestAssetsCopy folder;
    return folder.path;
}

inline void writeShader(const std::string& name, const std::string& text) {
    std::ofstream(testAssetsDir() + "/shaders/" + name, std::ios::binary) << text;
}

// An 8-bit PNG under textures/ of an assets folder, 1 to 4 channels, rows top first.
inline void writePng(const std::string& name, int w, int h, int channels,
                     const std::vector<unsigned char>& pixels, std::string dir = testAssetsDir()) {
    const std::string path = dir + "/textures/" + name;
    ASSERT_TRUE(stbi_write_png(path.c_str(), w, h, channels, pixels.data(), w * channels));
}

// The seven programs Renderer::init looks up, all made of the basic pair.
inline void registerSevenPrograms() {
    for (const char* name :
         {"final", "sphere", "contour", "contour_line", "jfa", "debug", "render_tex"})
        new ShaderProgram(name, {"basic.vert", "basic.frag"});
}

// Live textures, buffers, vertex arrays, framebuffers and renderbuffers: GL
// hands out small names, so counting finds leaks and stray deletes.
using LiveObjects = std::array<int, 5>;
inline LiveObjects countLiveObjects() {
    LiveObjects live{};
    for (GLuint name = 1; name < 4096; ++name) {
        int k = 0;
        for (auto is :
             {glIsTexture, glIsBuffer, glIsVertexArray, glIsFramebuffer, glIsRenderbuffer})
            live[k++] += is(name);
    }
    return live;
}

// The type, source and name of the program's stage whose source holds `piece`.
struct AttachedStage {
    GLint type = 0;
    std::string source;
    GLuint shader = 0;
};
inline AttachedStage stageContaining(GLuint program, const std::string& piece) {
    GLuint shaders[8];
    GLsizei count = 0;
    glGetAttachedShaders(program, 8, &count, shaders);
    for (GLsizei i = 0; i < count; ++i) {
        AttachedStage s{0, std::string(1 << 16, '\0'), shaders[i]};
        GLsizei length = 0;
        glGetShaderiv(shaders[i], GL_SHADER_TYPE, &s.type);
        glGetShaderSource(shaders[i], GLsizei(s.source.size()), &length, s.source.data());
        s.source.resize(length);
        if (s.source.find(piece) != std::string::npos) return s;
    }
    return {};
}

// A GL test over the standard set; its Renderer's objects and all programs
// go at the end.
class RenderTest : public testing::Test {
  protected:
    void SetUp() override {
        if (!testGLWindow()) GTEST_SKIP() << "no OpenGL display";
        assetsDir = testAssetsDir();
        baseline = countLiveObjects();
    }
    void TearDown() override {
        if (!testGLWindow()) return;
        r.destroy();
        r.deleteFramebuffers();
        glDeleteTextures(1, &r.decalTextureId);
        glDeleteTextures(1, &r.gradientTextureId);
        while (!shaderPrograms.empty()) delete shaderPrograms.back();
        fbWidth = fbHeight = 0;
    }
    LiveObjects baseline{};
    Renderer r;
};
