#pragma once
// Helpers of the render tests.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "child_process.h"
#include "gl_context.h"
#include "render/renderer.h"

// A throw-away assets folder; assetsDir points at it while the object lives.
class TestAssets {
  public:
    TestAssets();
    ~TestAssets();
    const std::string& dir() const { return root; }
    void writeShader(const std::string& name, const std::string& text) const;
    // An 8-bit PNG with 1 to 4 channels, rows top first.
    void writePng(const std::string& name, int width, int height, int channels,
                  const std::vector<unsigned char>& pixels) const;
    // Enough for Renderer::init: data/ (an octahedron as the sphere model,
    // "basic.vert" and "basic.frag" with uniforms "mvp" and "color"), a 2 by 2
    // RGBA arrow and four RGB colour maps 5 texels wide (rows of 15 bytes).
    void writeStandardSet() const;

  private:
    std::string root, previousAssetsDir;
};

// The seven programs Renderer::init looks up, all made of the basic pair.
void registerSevenPrograms();
void deleteAllPrograms();  // the last registered first

// Live textures, buffers, vertex arrays, framebuffers and renderbuffers: GL
// hands out small names, so counting finds leaks and stray deletes.
using LiveObjects = std::array<int, 5>;
LiveObjects countLiveObjects();

// The attached stage whose source holds `piece` (type 0 if none).
struct AttachedStage {
    GLenum type;
    std::string source;
    GLuint shader;
};
AttachedStage stageContaining(GLuint program, const std::string& piece);

#ifdef RENDER_BASE_FATAL
// One scenario of render_base_fatal, a process with its own GL context.
inline ChildResult runFatalScenario(const std::vector<std::string>& args) {
    return runProgram(RENDER_BASE_FATAL, args, "", 60.0);
}
#endif

// A GL test over the standard set; its Renderer's objects and all programs
// go at the end.
class RenderTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    TestAssets assets;
    LiveObjects baseline{};
    Renderer r;
};
