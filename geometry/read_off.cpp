// Object File Format: an "OFF", "COFF" or "NOFF" header, the vertex, face
// and edge counts (on the header line or the next), one vertex per line
// (colours or normals after x y z are ignored), then one polygon per line as
// "n i1 ... in". "#" starts a comment; blank lines are skipped.

#include <climits>
#include <string>
#include <vector>

#include "geometry/mesh_readers.h"
#include "geometry/text_scanner.h"

namespace geometry::readers {

bool parseOff(std::string_view data, MeshBuffers& mesh, std::string& error) {
    ScanRules rules;
    rules.crossLines = false;
    rules.comment = '#';
    TextScanner scan(data, rules);
    scan.skipSpaceAndLines();
    std::string_view header = scan.token();
    if (header != "OFF" && header != "COFF" && header != "NOFF") {
        error = scan.where() + "the header is " + quoted(header) + ", not OFF, COFF or NOFF";
        return false;
    }
    long long vertexCount = 0, faceCount = 0, edgeCount = 0;
    scan.skipSpaceAndLines();
    bool countsRead = scan.readInt(vertexCount);
    scan.skipSpaceAndLines();
    countsRead = countsRead && scan.readInt(faceCount);
    if (!countsRead || (!scan.atLineEnd() && !scan.readInt(edgeCount))) {
        error = scan.where() + "expected the vertex, face and edge counts";
        return false;
    }
    if (vertexCount < 0 || faceCount < 0 || vertexCount > INT_MAX / 3 || faceCount > INT_MAX / 3) {
        error = scan.where() + "the counts " + std::to_string(vertexCount) + " and " +
                std::to_string(faceCount) + " are out of range";
        return false;
    }
    // The shortest vertex line is "0 0 0\n", the shortest face "3 0 0 0\n".
    if (6 * vertexCount + 8 * faceCount > static_cast<long long>(scan.remaining())) {
        error = "the file is too short for " + std::to_string(vertexCount) + " vertices and " +
                std::to_string(faceCount) + " faces";
        return false;
    }
    scan.skipLine();
    mesh.positions.reserve(3 * vertexCount);
    mesh.triangles.reserve(3 * faceCount);

    for (long long i = 0; i < vertexCount; ++i) {
        scan.skipSpaceAndLines();
        if (!readVertex(scan, mesh, error)) return false;
        scan.skipLine();
    }

    std::vector<int> corners;
    for (long long f = 0; f < faceCount; ++f) {
        scan.skipSpaceAndLines();
        long long n = 0;
        if (!scan.readInt(n)) {
            error = scan.where() + "face " + std::to_string(f) + " of " +
                    std::to_string(faceCount) + " is missing its corner count";
            return false;
        }
        if (n < 3) {
            error = scan.where() + "face " + std::to_string(f) + " has " + std::to_string(n) +
                    " corners; at least three are needed";
            return false;
        }
        corners.clear();
        for (long long k = 0; k < n; ++k) {
            long long index = 0;
            if (!scan.readInt(index)) {
                error = scan.where() + "face " + std::to_string(f) + " needs " + std::to_string(n) +
                        " vertex indices";
                return false;
            }
            if (index < 0 || index >= vertexCount) {
                error = scan.where() + "face " + std::to_string(f) + " refers to vertex " +
                        std::to_string(index) + " of " + std::to_string(vertexCount);
                return false;
            }
            corners.push_back(static_cast<int>(index));
        }
        addFan(mesh, corners.data(), corners.size());
        scan.skipLine();
    }
    return true;
}

}  // namespace geometry::readers
