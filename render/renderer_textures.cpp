// The arrow decal and the colour map. libstb.a carries stb_image's
// implementation, so only the declarations are included here.
#include <stb_image.h>

#include <string>

#include "platform/fatal.h"
#include "render/renderer.h"
#include "render/shader_program.h"

namespace {

// Filters and wraps of the texture bound to GL_TEXTURE_2D, in the order
// minification, magnification, wrap s, wrap t.
void setSampling(GLint minFilter, GLint magFilter, GLint wrap) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
}

}  // namespace

void Renderer::loadDecalTexture() {
    int w = 0, h = 0, channels = 0;
    unsigned char* data =
        stbi_load((assetsDir + "/textures/arrow.png").c_str(), &w, &h, &channels, 4);
    // A missing or undecodable file leaves channels at 0 and fails here too.
    if (channels != 4) {
        stbi_image_free(data);
        assertionFailed("Invalid texture (no alpha)");
    }
    glGenTextures(1, &decalTextureId);
    glBindTexture(GL_TEXTURE_2D, decalTextureId);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, data);
    glGenerateMipmap(GL_TEXTURE_2D);
    setSampling(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT);
    glBindTexture(GL_TEXTURE_2D, 0);
    stbi_image_free(data);
}

void Renderer::loadGradientTexture(std::string name) {
    if (gradientTextureId != 0) {
        glDeleteTextures(1, &gradientTextureId);
        gradientTextureId = 0;
    }
    int w = 0, h = 0, channels = 0;
    unsigned char* data =
        stbi_load((assetsDir + "/textures/" + name).c_str(), &w, &h, &channels, 3);
    if (channels != 3) {
        stbi_image_free(data);
        assertionFailed("Invalid texture (not rgb)");
    }
    glGenTextures(1, &gradientTextureId);
    glBindTexture(GL_TEXTURE_2D, gradientTextureId);
    // Decoded RGB rows are tightly packed (3 x width bytes), not 4-aligned.
    GLint previousAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, data);
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
    setSampling(GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
    stbi_image_free(data);
}
