// Reading a stage file, expanding its "#include" lines and markers, and
// compiling the result.
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/fatal.h"
#include "render/shader_program.h"

namespace {

const std::string includeKeyword = "#include";
const std::string definesMarker = "//##SHADERLOADER:INSERTDEFINES##";
const std::string shadowMapMarker = "//##SHADERLOADER:SHADER_NEEDS_SHADOWMAP##";

// Includes have no guard, so a file that reaches itself again would expand
// for ever. Real shader sets stay far below this.
constexpr int maxIncludeExpansions = 1000;

}  // namespace

std::string readShaderFile(std::string file) {
    std::ifstream in;
    in.exceptions(std::ifstream::failbit | std::ifstream::badbit);
    std::stringstream buffer;
    try {
        in.open(assetsDir + "/shaders/" + file);
        buffer << in.rdbuf();  // an empty file gives an empty text
        in.close();
    } catch (const std::ios_base::failure&) {
        fatalError("ERROR loading shader file \"" + file + "\"");
    }
    return buffer.str();
}

GLuint ShaderProgram::compileShader(std::string file, GLenum stage) {
    std::string text = readShaderFile(file);

    // Always from the start of the text, so included directives expand too.
    int expansions = 0;
    for (size_t pos = text.find(includeKeyword); pos != std::string::npos;
         pos = text.find(includeKeyword)) {
        // One separator character of any kind, then the opening quote.
        if (pos + 9 >= text.size() || text[pos + 9] != '"')
            fatalError("ERROR: invalid #include syntax in shader (leading quotes missing) \"" +
                       file + "\"");
        size_t close = text.find('"', pos + 10);
        if (close == std::string::npos)
            fatalError("ERROR: invalid #include syntax in shader (ending quotes missing) \"" +
                       file + "\"");
        if (++expansions > maxIncludeExpansions)
            fatalError("ERROR: more than " + std::to_string(maxIncludeExpansions) +
                       " #include expansions in shader \"" + file +
                       "\"; do its includes form a cycle?");
        std::string name = text.substr(pos + 10, close - (pos + 10));
        text.replace(pos, close + 1 - pos, readShaderFile(name));
    }

    size_t marker = text.find(definesMarker);
    if (marker != std::string::npos) {
        std::string defines;
        for (const std::string& line : shaderDefines) defines += line;
        text.insert(marker, defines);
    }
    if (text.find(shadowMapMarker) != std::string::npos) needsShadowMap = true;

    GLuint shader = glCreateShader(stage);
    const char* source = text.c_str();
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (!compiled) {
        GLint length = 0;
        glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
        std::vector<char> log(length > 0 ? length : 1, '\0');
        glGetShaderInfoLog(shader, length, nullptr, log.data());
        fatalError("ERROR compiling shader \"" + file + "\": " + std::string(log.data()));
    }
    return shader;
}
