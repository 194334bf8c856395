#include "geometry/read_triangle_mesh.h"

#include <sys/stat.h>

#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <memory>

#include "geometry/mesh_readers.h"

namespace geometry {

namespace {

using readers::MeshBuffers;
using readers::MeshFormat;

std::string lowerCaseExtension(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Opens a regular file; null when that is not possible. A directory or a
// device would open but never read as a mesh, or read forever, and opening a
// named pipe waits for a writer, so the kind of file is checked first.
std::unique_ptr<std::FILE, FileCloser> openRegularFile(const std::string& path, std::size_t& size) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return nullptr;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file || fstat(fileno(file.get()), &status) != 0 || !S_ISREG(status.st_mode))
        return nullptr;
    size = static_cast<std::size_t>(status.st_size);
    return file;
}

bool readContents(const std::string& path, MeshBuffers& mesh) {
    std::size_t size = 0;
    auto file = openRegularFile(path, size);
    if (!file) {
        std::fprintf(stderr, "IOError: %s could not be opened...\n", path.c_str());
        return false;
    }
    std::string extension = lowerCaseExtension(path);
    MeshFormat format;
    if (!readers::formatForExtension(extension, format)) {
        std::fprintf(stderr, "Error: unknown extension: %s\n", extension.c_str());
        return false;
    }
    std::string data(size, '\0');
    std::size_t got = std::fread(data.data(), 1, size, file.get());
    if (std::ferror(file.get())) {
        std::fprintf(stderr, "Error: %s: reading failed\n", path.c_str());
        return false;
    }
    data.resize(got);  // the file may have shrunk since it was opened
    if (data.empty()) {
        std::fprintf(stderr, "Error: %s: the file is empty\n", path.c_str());
        return false;
    }
    std::string error;
    if (!readers::parseMesh(format, data, mesh, error)) {
        std::fprintf(stderr, "Error: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

template <typename Matrix>
bool readInto(const std::string& path, Matrix& V, Eigen::MatrixXi& F) {
    using Scalar = typename Matrix::Scalar;
    MeshBuffers mesh;
    bool ok = readContents(path, mesh);
    if (ok && sizeof(Scalar) < sizeof(double)) {
        for (double value : mesh.positions) {
            if (std::fabs(value) > FLT_MAX) {
                std::fprintf(stderr, "Error: %s: coordinate %g is beyond single precision\n",
                             path.c_str(), value);
                ok = false;
                break;
            }
        }
    }
    if (!ok) {
        V.resize(0, 3);
        F.resize(0, 3);
        return false;
    }
    const Eigen::Index vertexCount = mesh.vertexCount();
    const Eigen::Index triangleCount = static_cast<Eigen::Index>(mesh.triangles.size() / 3);
    V.resize(vertexCount, 3);
    for (Eigen::Index i = 0; i < vertexCount; ++i)
        for (int d = 0; d < 3; ++d) V(i, d) = static_cast<Scalar>(mesh.positions[3 * i + d]);
    F.resize(triangleCount, 3);
    for (Eigen::Index f = 0; f < triangleCount; ++f)
        for (int k = 0; k < 3; ++k) F(f, k) = mesh.triangles[3 * f + k];
    return true;
}

}  // namespace

bool read_triangle_mesh(const std::string& path, Eigen::MatrixXd& V, Eigen::MatrixXi& F) {
    return readInto(path, V, F);
}

bool read_triangle_mesh(const std::string& path, Eigen::MatrixXf& V, Eigen::MatrixXi& F) {
    return readInto(path, V, F);
}

}  // namespace geometry
