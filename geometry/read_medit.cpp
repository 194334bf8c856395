// Medit ascii meshes: "MeshVersionFormatted", "Dimension 3", then sections
// of a keyword, a count and the records: "Vertices" (x y z ref),
// "Triangles" (i j k ref) and "Tetrahedra" (i j k l ref), 1-based. Without
// triangles, the tetrahedra's boundary faces are the surface. Other sections
// are read past; "End" ends the file.

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "geometry/mesh_readers.h"
#include "geometry/text_scanner.h"

namespace geometry::readers {
namespace {

// Reads a section's count and checks that its records (each of `numbers`
// numbers, at least two bytes apiece) fit in the rest of the file.
bool readCount(TextScanner& scan, std::string_view section, int numbers, long long& count,
               std::string& error) {
    if (!scan.readInt(count) || count < 0 || count > (1 << 29) ||
        count * numbers * 2 > static_cast<long long>(scan.remaining()) + 1) {
        error = scan.where() + "the " + std::string(section) + " count is missing or too large";
        return false;
    }
    return true;
}

// Reads count records of `width` indices and a reference number, keeping the
// indices (still 1-based).
bool readElements(TextScanner& scan, std::string_view section, int width, long long count,
                  std::vector<long long>& indices, std::string& error) {
    indices.reserve(indices.size() + width * count);
    for (long long e = 0; e < count; ++e) {
        for (int k = 0; k <= width; ++k) {
            long long value;
            if (!scan.readInt(value)) {
                error = scan.where() + std::string(section) + " record " + std::to_string(e + 1) +
                        " is missing or malformed";
                return false;
            }
            if (k < width) indices.push_back(value);
        }
    }
    return true;
}

bool toZeroBased(std::vector<long long>& indices, int vertexCount, std::string_view section,
                 std::string& error) {
    for (long long& index : indices) {
        if (index < 1 || index > vertexCount) {
            error = std::string(section) + " refer to vertex " + std::to_string(index) +
                    ", but there are " + std::to_string(vertexCount) + " vertices";
            return false;
        }
        --index;
    }
    return true;
}

double orientation(const MeshBuffers& mesh, const long long* t) {
    const double* p[4];
    for (int k = 0; k < 4; ++k) p[k] = &mesh.positions[3 * t[k]];
    double u[3], v[3], w[3];
    for (int d = 0; d < 3; ++d) {
        u[d] = p[1][d] - p[0][d];
        v[d] = p[2][d] - p[0][d];
        w[d] = p[3][d] - p[0][d];
    }
    return u[0] * (v[1] * w[2] - v[2] * w[1]) - u[1] * (v[0] * w[2] - v[2] * w[0]) +
           u[2] * (v[0] * w[1] - v[1] * w[0]);
}

// Faces that belong to exactly one tetrahedron, oriented away from it.
void addBoundaryFaces(const std::vector<long long>& tets, MeshBuffers& mesh) {
    struct Face {
        std::array<int, 3> key;  // sorted corners
        std::array<int, 3> corners;
    };
    std::vector<Face> faces;
    faces.reserve(tets.size());
    static const int outward[4][3] = {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}};
    for (std::size_t t = 0; t < tets.size(); t += 4) {
        const bool flip = orientation(mesh, &tets[t]) < 0;
        for (const auto& local : outward) {
            Face face;
            for (int k = 0; k < 3; ++k) face.corners[k] = static_cast<int>(tets[t + local[k]]);
            if (flip) std::swap(face.corners[1], face.corners[2]);
            face.key = face.corners;
            std::sort(face.key.begin(), face.key.end());
            faces.push_back(face);
        }
    }
    std::vector<std::size_t> order(faces.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return faces[a].key < faces[b].key; });
    std::vector<bool> boundary(faces.size(), false);
    for (std::size_t i = 0; i < order.size();) {
        std::size_t j = i + 1;
        while (j < order.size() && faces[order[j]].key == faces[order[i]].key) ++j;
        if (j == i + 1) boundary[order[i]] = true;
        i = j;
    }
    for (std::size_t f = 0; f < faces.size(); ++f)
        if (boundary[f]) addFan(mesh, faces[f].corners.data(), 3);
}

}  // namespace

bool parseMedit(std::string_view data, MeshBuffers& mesh, std::string& error) {
    ScanRules rules;
    rules.comment = '#';
    TextScanner scan(data, rules);
    long long version = 0;
    if (!equalsKeyword(scan.token(), "MeshVersionFormatted") || !scan.readInt(version)) {
        error = "not a Medit mesh (no \"MeshVersionFormatted\" and version first)";
        return false;
    }
    std::vector<long long> triangles, tets;
    for (std::string_view key = scan.token(); !key.empty() && !equalsKeyword(key, "End");
         key = scan.token()) {
        long long count = 0;
        if (equalsKeyword(key, "Dimension")) {
            long long dimension = 0;
            if (!scan.readInt(dimension) || dimension != 3) {
                error = scan.where() + "only three-dimensional meshes are read";
                return false;
            }
        } else if (equalsKeyword(key, "Vertices")) {
            if (!readCount(scan, key, 4, count, error)) return false;
            mesh.positions.reserve(mesh.positions.size() + 3 * count);
            for (long long i = 0; i < count; ++i) {
                double reference;
                if (!readVertex(scan, mesh, error)) return false;
                if (!scan.readDouble(reference)) {
                    error = scan.where() + "vertex " + std::to_string(i + 1) + " of " +
                            std::to_string(count) + " has no reference number";
                    return false;
                }
            }
        } else if (equalsKeyword(key, "Triangles")) {
            if (!readCount(scan, key, 4, count, error) ||
                !readElements(scan, key, 3, count, triangles, error))
                return false;
        } else if (equalsKeyword(key, "Tetrahedra")) {
            if (!readCount(scan, key, 5, count, error) ||
                !readElements(scan, key, 4, count, tets, error))
                return false;
        }
        // Any other keyword's records are numbers, which this loop passes over.
    }
    const int vertexCount = mesh.vertexCount();
    if (!toZeroBased(triangles, vertexCount, "Triangles", error) ||
        !toZeroBased(tets, vertexCount, "Tetrahedra", error))
        return false;
    // An empty "Triangles" section leaves the tetrahedra to give the surface.
    if (!triangles.empty()) {
        for (long long index : triangles) mesh.triangles.push_back(static_cast<int>(index));
    } else {
        addBoundaryFaces(tets, mesh);
    }
    return true;
}

}  // namespace geometry::readers
