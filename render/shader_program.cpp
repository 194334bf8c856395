#include "render/shader_program.h"

#include <algorithm>
#include <iostream>

#include "platform/fatal.h"

std::vector<ShaderProgram*> shaderPrograms;
std::vector<std::string> shaderDefines;
std::string assetsDir = "assets";

namespace {

// The first substring found anywhere in the file name decides the stage, so
// the order matters: "post.vs.frag" is a vertex stage, ".tesc" wins over ".tes".
struct StageSuffix {
    const char* text;
    GLenum stage;
};
const StageSuffix stageSuffixes[] = {
    {".vert", GL_VERTEX_SHADER},          {".vs", GL_VERTEX_SHADER},
    {".frag", GL_FRAGMENT_SHADER},        {".fs", GL_FRAGMENT_SHADER},
    {".tesc", GL_TESS_CONTROL_SHADER},    {".tcs", GL_TESS_CONTROL_SHADER},
    {".tese", GL_TESS_EVALUATION_SHADER}, {".tes", GL_TESS_EVALUATION_SHADER},
    {".geom", GL_GEOMETRY_SHADER},        {".gs", GL_GEOMETRY_SHADER},
    {".comp", GL_COMPUTE_SHADER},         {".cs", GL_COMPUTE_SHADER},
};

}  // namespace

ShaderProgram::ShaderProgram(std::string name, std::vector<std::string> files)
    : name(std::move(name)) {
    programId = createShaderProgram(std::move(files));
    shaderPrograms.push_back(this);
}

ShaderProgram::~ShaderProgram() {
    glDeleteProgram(programId);
    auto it = std::find(shaderPrograms.begin(), shaderPrograms.end(), this);
    if (it != shaderPrograms.end()) shaderPrograms.erase(it);
}

GLuint ShaderProgram::createShaderProgram(std::vector<std::string> files) {
    GLuint program = glCreateProgram();
    std::vector<GLuint> shaders;
    for (const std::string& file : files) {
        const StageSuffix* found = nullptr;
        for (const StageSuffix& suffix : stageSuffixes) {
            if (file.find(suffix.text) != std::string::npos) {
                found = &suffix;
                break;
            }
        }
        if (!found) fatalError("Unknown shader type: " + file);
        GLuint shader = compileShader(file, found->stage);
        shaders.push_back(shader);
        glAttachShader(program, shader);
    }

    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) {
        GLint length = 0;
        glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
        std::vector<char> log(std::max(length, 1), '\0');
        glGetProgramInfoLog(program, length, nullptr, log.data());
        fatalError("ERROR linking shader program: " + std::string(log.data()));
    }
    // The program keeps what it needs; GL frees the shaders with it.
    for (GLuint shader : shaders) glDeleteShader(shader);
    return program;
}

ShaderProgram* getShaderProgram(std::string name) {
    for (ShaderProgram* program : shaderPrograms)
        if (program->name == name) return program;
    fatalError("Shader " + name + " is not loaded");
}

GLint ShaderProgram::uniformLocation(std::string uniform) {
    auto it = uniformLocations.find(uniform);
    if (it != uniformLocations.end()) return it->second;
    GLint location = glGetUniformLocation(programId, uniform.c_str());
    uniformLocations.emplace(uniform, location);
    if (location == -1)
        std::cout << "WARNING: uniform \"" << uniform << "\" not found in program " << name
                  << std::endl;
    return location;
}
