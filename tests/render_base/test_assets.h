#pragma once
// A throw-away assets directory for the render tests: shader files, images
// and models written by the test itself, with assetsDir pointed at it for
// the object's lifetime.

#include <GL/glew.h>

#include <string>
#include <vector>

class TestAssets {
  public:
    TestAssets();
    ~TestAssets();
    TestAssets(const TestAssets&) = delete;
    TestAssets& operator=(const TestAssets&) = delete;

    const std::string& dir() const { return root; }
    // Writes text to dir()/relativePath, making the folders it needs.
    void write(const std::string& relativePath, const std::string& text) const;
    void writeShader(const std::string& name, const std::string& text) const {
        write("shaders/" + name, text);
    }
    // An 8-bit PNG with the given channel count (1 to 4), rows top first.
    void writePng(const std::string& name, int width, int height, int channels,
                  const std::vector<unsigned char>& pixels) const;
    // A valid arrow, the four colour maps, a small sphere model and one
    // vertex/fragment pair ("basic.vert", "basic.frag") with a "mvp" and a
    // "color" uniform: enough for Renderer::init once programs are registered.
    void writeStandardSet() const;

  private:
    std::string root;
    std::string previousAssetsDir;
};

// An octahedron of radius 1 in OFF form, outward faces.
extern const char* const octahedronOff;

// Registers the seven programs that Renderer::init looks up, all made from
// "basic.vert" and "basic.frag".
void registerSevenPrograms();
// Deletes every registered program, the last registered first.
void deleteAllPrograms();

// Live GL objects by kind. GL hands out small names, so counting the live
// ones before and after finds leaks and stray deletes.
struct LiveObjects {
    int textures = 0, buffers = 0, vertexArrays = 0, framebuffers = 0, renderbuffers = 0;
    bool operator==(const LiveObjects& o) const {
        return textures == o.textures && buffers == o.buffers && vertexArrays == o.vertexArrays &&
               framebuffers == o.framebuffers && renderbuffers == o.renderbuffers;
    }
};
LiveObjects countLiveObjects();
