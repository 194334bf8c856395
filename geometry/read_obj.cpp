// Wavefront OBJ: "v x y z [...]" and "f" lines whose corners are i, i/t,
// i//n or i/t/n; every other line is ignored.

#include <string>
#include <vector>

#include "geometry/mesh_readers.h"
#include "geometry/text_scanner.h"

namespace geometry::readers {
namespace {

// A corner's vertex index, resolved to 0-based: positive indices count from
// 1, negative ones back from the last vertex read so far.
bool parseCorner(std::string_view token, int vertexCount, int& index, std::string& error) {
    std::size_t slash = token.find('/');
    long long value = 0;
    if (!parseInt(token.substr(0, slash), value)) {
        error = "face corner \"" + std::string(token) + "\" is not a vertex index";
        return false;
    }
    long long resolved = value > 0 ? value - 1 : vertexCount + value;
    if (value == 0 || resolved < 0 || resolved >= vertexCount) {
        error = "face corner " + std::to_string(value) + " is out of range (" +
                std::to_string(vertexCount) + " vertices so far)";
        return false;
    }
    index = static_cast<int>(resolved);
    return true;
}

}  // namespace

bool parseObj(std::string_view data, MeshBuffers& mesh, std::string& error) {
    ScanRules rules;
    rules.crossLines = false;
    rules.comment = '#';
    TextScanner scan(data, rules);
    std::vector<int> corners;
    while (!scan.atEnd()) {
        std::string_view key = scan.token();
        if (key == "v") {
            if (!readVertex(scan, mesh, error)) return false;
        } else if (key == "f") {
            corners.clear();
            for (std::string_view token = scan.token(); !token.empty(); token = scan.token()) {
                int index;
                if (!parseCorner(token, mesh.vertexCount(), index, error)) {
                    error = scan.where() + error;
                    return false;
                }
                corners.push_back(index);
            }
            if (corners.size() < 3) {
                error = scan.where() + "a face needs at least three corners";
                return false;
            }
            addFan(mesh, corners.data(), corners.size());
        }
        scan.skipLine();
    }
    return true;
}

}  // namespace geometry::readers
