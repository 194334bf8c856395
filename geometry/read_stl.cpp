// STL, binary or ascii. A file is binary when its size is exactly 84 bytes
// plus 50 per triangle of the count in its header (a binary header may well
// begin with "solid"), otherwise it must be ascii "solid ... endsolid". Each
// facet gets three vertices of its own; merging them is left to the caller.

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

#include "geometry/mesh_readers.h"
#include "geometry/text_scanner.h"

namespace geometry::readers {
namespace {

std::uint32_t littleEndian32(std::string_view data, std::size_t at) {
    std::uint32_t value = 0;
    for (int k = 3; k >= 0; --k) value = (value << 8) | static_cast<unsigned char>(data[at + k]);
    return value;
}

bool parseBinaryStl(std::string_view data, std::uint32_t triangleCount, MeshBuffers& mesh,
                    std::string& error) {
    if (triangleCount > INT_MAX / 3) {
        error = "too many triangles: " + std::to_string(triangleCount);
        return false;
    }
    mesh.positions.reserve(9 * static_cast<std::size_t>(triangleCount));
    mesh.triangles.reserve(3 * static_cast<std::size_t>(triangleCount));
    for (std::uint32_t t = 0; t < triangleCount; ++t) {
        // 12 bytes of normal, then the three corners; 2 attribute bytes end the record.
        const std::size_t record = 84 + 50 * static_cast<std::size_t>(t);
        for (int corner = 0; corner < 3; ++corner) {
            float xyz[3];
            for (int d = 0; d < 3; ++d) {
                std::uint32_t bits = littleEndian32(data, record + 12 + 12 * corner + 4 * d);
                std::memcpy(&xyz[d], &bits, sizeof(float));
            }
            if (!addVertex(mesh, xyz[0], xyz[1], xyz[2], error)) {
                error = "triangle " + std::to_string(t) + ": " + error;
                return false;
            }
            mesh.triangles.push_back(static_cast<int>(3 * t + corner));
        }
    }
    return true;
}

bool expectKeyword(TextScanner& scan, std::string_view keyword, std::string& error) {
    std::string_view token = scan.token();
    if (equalsKeyword(token, keyword)) return true;
    error = scan.where() + "expected \"" + std::string(keyword) + "\", found " + quoted(token);
    return false;
}

bool parseFacet(TextScanner& scan, MeshBuffers& mesh, std::string& error) {
    double normal[3];
    if (!expectKeyword(scan, "normal", error)) return false;
    if (!scan.readDouble(normal[0]) || !scan.readDouble(normal[1]) || !scan.readDouble(normal[2])) {
        error = scan.where() + "a facet normal needs three numbers";
        return false;
    }
    if (!expectKeyword(scan, "outer", error) || !expectKeyword(scan, "loop", error)) return false;
    for (int corner = 0; corner < 3; ++corner) {
        if (!expectKeyword(scan, "vertex", error) || !readVertex(scan, mesh, error)) return false;
        mesh.triangles.push_back(mesh.vertexCount() - 1);
    }
    return expectKeyword(scan, "endloop", error) && expectKeyword(scan, "endfacet", error);
}

bool parseAsciiStl(std::string_view data, MeshBuffers& mesh, std::string& error) {
    TextScanner scan(data);
    if (!expectKeyword(scan, "solid", error)) return false;
    scan.skipLine();  // the solid's name
    for (;;) {
        std::string_view token = scan.token();
        if (equalsKeyword(token, "facet")) {
            if (!parseFacet(scan, mesh, error)) return false;
        } else if (equalsKeyword(token, "endsolid")) {
            scan.skipLine();
            scan.skipSpace();
            if (scan.atEnd()) return true;
            if (!expectKeyword(scan, "solid", error)) return false;
            scan.skipLine();
        } else if (token.empty()) {
            error = "the file ends without \"endsolid\"";
            return false;
        } else {
            error = scan.where() + "expected \"facet\" or \"endsolid\", found " + quoted(token);
            return false;
        }
    }
}

}  // namespace

bool parseStl(std::string_view data, MeshBuffers& mesh, std::string& error) {
    if (data.size() >= 84) {
        std::uint32_t count = littleEndian32(data, 80);
        if (data.size() == 84 + 50 * static_cast<std::uint64_t>(count))
            return parseBinaryStl(data, count, mesh, error);
    }
    TextScanner scan(data);
    if (!equalsKeyword(scan.token(), "solid")) {
        error = "neither binary STL (" + std::to_string(data.size()) +
                " bytes do not match the triangle count) nor ascii STL (no \"solid\")";
        return false;
    }
    return parseAsciiStl(data, mesh, error);
}

}  // namespace geometry::readers
