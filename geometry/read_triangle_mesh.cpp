#include "geometry/read_triangle_mesh.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>

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

// The most memory this process may hope to use: the machine's, or less
// when a resource limit says so.
std::size_t memoryLimit() {
    std::size_t limit = static_cast<std::size_t>(sysconf(_SC_PHYS_PAGES)) *
                        static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        rlimit r;
        if (getrlimit(resource, &r) == 0 && r.rlim_cur != RLIM_INFINITY)
            limit = std::min(limit, static_cast<std::size_t>(r.rlim_cur));
    }
    return limit;
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
    // Its bytes alone would not fit, let alone the mesh parsed from them.
    if (size > memoryLimit()) {
        std::fprintf(stderr, "Error: %s: the file holds %.1f GB, more than the %.1f GB of memory\n",
                     path.c_str(), size / 1e9, memoryLimit() / 1e9);
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

// Fills V and F from the file; false (with the line on standard error) when
// it cannot be read.
template <typename Matrix>
bool readAndFill(const std::string& path, Matrix& V, Eigen::MatrixXi& F) {
    using Scalar = typename Matrix::Scalar;
    MeshBuffers mesh;
    if (!readContents(path, mesh)) return false;
    if (sizeof(Scalar) < sizeof(double)) {
        for (double value : mesh.positions) {
            if (std::fabs(value) > FLT_MAX) {
                std::fprintf(stderr, "Error: %s: coordinate %g is beyond single precision\n",
                             path.c_str(), value);
                return false;
            }
        }
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

template <typename Matrix>
bool readInto(const std::string& path, Matrix& V, Eigen::MatrixXi& F) {
    try {
        if (readAndFill(path, V, F)) return true;
    } catch (const std::bad_alloc&) {
        // A file that fits in memory may still not fit beside what it parses into.
        std::fprintf(stderr, "Error: %s: not enough memory to read it\n", path.c_str());
    }
    V.resize(0, 3);
    F.resize(0, 3);
    return false;
}

}  // namespace

bool read_triangle_mesh(const std::string& path, Eigen::MatrixXd& V, Eigen::MatrixXi& F) {
    return readInto(path, V, F);
}

bool read_triangle_mesh(const std::string& path, Eigen::MatrixXf& V, Eigen::MatrixXi& F) {
    return readInto(path, V, F);
}

}  // namespace geometry
