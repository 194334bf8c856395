// Reading a stage file, expanding its "#include" lines and markers, and
// compiling the result.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

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
    const std::string path = assetsDir + "/shaders/" + file;
    // Opened without blocking: a named pipe in the shaders folder would
    // otherwise wait for a writer for ever. Only a regular file is a shader;
    // a directory, pipe or device is refused like a missing file.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    auto refuse = [&] {
        if (fd >= 0) close(fd);
        fatalError("ERROR loading shader file \"" + file + "\"");
    };
    struct stat status;
    if (fd < 0 || fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) refuse();
    std::string text;
    char buffer[1 << 16];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno != EINTR) refuse();
        if (n > 0) text.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return text;  // an empty file gives an empty text
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
