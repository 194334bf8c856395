#pragma once
// Named GL programs built from GLSL stage files, kept in a global registry
// searched by name, each with a cache of its uniform locations.

#include <GL/glew.h>

#include <map>
#include <string>
#include <vector>

class ShaderProgram {
  public:
    // Builds, links and registers the program; every failure is fatal.
    ShaderProgram(std::string name, std::vector<std::string> files);
    // Deletes the GL program and unregisters itself.
    ~ShaderProgram();
    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    // Cached lookup; a missing name warns once and gives -1 from then on.
    GLint uniformLocation(std::string name);

    std::string name;
    GLuint programId = 0;
    std::map<std::string, GLint> uniformLocations;
    bool needsShadowMap = false;

  private:
    GLuint createShaderProgram(std::vector<std::string> files);
    // Reads, expands and compiles one stage file (in shader_loader.cpp).
    GLuint compileShader(std::string file, GLenum stage);
};

// The registry, in registration order; it owns the programs.
extern std::vector<ShaderProgram*> shaderPrograms;
// Lines inserted at the defines marker of every stage file.
extern std::vector<std::string> shaderDefines;
// The assets directory; stage files are read from assetsDir + "/shaders/".
extern std::string assetsDir;

// The registered program of that name; a missing name is fatal.
ShaderProgram* getShaderProgram(std::string name);

// The whole text of a stage file under the shaders folder; fatal when unreadable.
std::string readShaderFile(std::string file);
