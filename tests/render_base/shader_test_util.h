#pragma once
// Inspecting a linked program's stages: the shaders stay attached (and
// readable) after the loader has flagged them for deletion.

#include <GL/glew.h>

#include <string>
#include <vector>

struct AttachedStage {
    GLenum type;
    std::string source;  // the text the compiler received
};

inline std::vector<AttachedStage> attachedStages(GLuint program) {
    GLuint shaders[8];
    GLsizei count = 0;
    glGetAttachedShaders(program, 8, &count, shaders);
    std::vector<AttachedStage> stages;
    for (GLsizei i = 0; i < count; ++i) {
        GLint type = 0, length = 0;
        glGetShaderiv(shaders[i], GL_SHADER_TYPE, &type);
        glGetShaderiv(shaders[i], GL_SHADER_SOURCE_LENGTH, &length);
        std::string source(length > 0 ? length : 1, '\0');
        glGetShaderSource(shaders[i], length, nullptr, source.data());
        source.resize(length > 0 ? length - 1 : 0);  // drop the terminating zero
        stages.push_back({static_cast<GLenum>(type), source});
    }
    return stages;
}

// The attached stage whose text holds the given piece; type 0 if none does.
inline AttachedStage stageContaining(GLuint program, const std::string& piece) {
    for (const AttachedStage& stage : attachedStages(program))
        if (stage.source.find(piece) != std::string::npos) return stage;
    return {0, ""};
}
