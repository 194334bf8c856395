// VRML: the "point [ ... ]" coordinates and "coordIndex [ ... ]" faces of
// IndexedFaceSet nodes, faces ended by -1 (the last one may omit it). A face
// set's indices refer to the points inside it or, when it has none (VRML 1
// style, or a Coordinate used by name), to the last points read before it.

#include <string>
#include <type_traits>
#include <vector>

#include "geometry/mesh_readers.h"
#include "geometry/text_scanner.h"

namespace geometry::readers {
namespace {

struct CoordinateBlock {
    int base = 0;  // index of the block's first vertex in the mesh
    int count = 0;
};

template <typename Number>
bool readList(TextScanner& scan, const char* field, std::vector<Number>& values,
              std::string& error) {
    if (scan.token() != "[") {
        error = scan.where() + "expected \"[\" after " + field;
        return false;
    }
    for (;;) {
        std::string_view token = scan.token();
        if (token == "]") return true;
        Number value;
        bool ok;
        if constexpr (std::is_same_v<Number, double>)
            ok = parseDouble(token, value);
        else
            ok = parseInt(token, value);
        if (!ok) {
            error = scan.where() + (token.empty()
                                        ? std::string("the file ends inside ") + field
                                        : quoted(token) + " in " + field + " is not a number");
            return false;
        }
        values.push_back(value);
    }
}

bool appendPoints(const std::vector<double>& points, MeshBuffers& mesh, CoordinateBlock& block,
                  std::string& error) {
    if (points.size() % 3 != 0) {
        error = "a point list holds " + std::to_string(points.size()) +
                " numbers, not a multiple of three";
        return false;
    }
    block.base = mesh.vertexCount();
    block.count = static_cast<int>(points.size() / 3);
    for (std::size_t i = 0; i < points.size(); i += 3)
        if (!addVertex(mesh, points[i], points[i + 1], points[i + 2], error)) return false;
    return true;
}

bool appendFaces(const std::vector<long long>& indices, const CoordinateBlock& block,
                 MeshBuffers& mesh, std::string& error) {
    std::vector<int> corners;
    for (std::size_t i = 0; i <= indices.size(); ++i) {
        if (i == indices.size() || indices[i] == -1) {
            if (corners.empty()) continue;  // a trailing -1 or an empty face
            if (corners.size() < 3) {
                error = "a coordIndex face has fewer than three corners";
                return false;
            }
            addFan(mesh, corners.data(), corners.size());
            corners.clear();
            continue;
        }
        if (indices[i] < 0 || indices[i] >= block.count) {
            error = "coordIndex " + std::to_string(indices[i]) + " is out of range (" +
                    std::to_string(block.count) + " points)";
            return false;
        }
        corners.push_back(block.base + static_cast<int>(indices[i]));
    }
    return true;
}

}  // namespace

bool parseWrl(std::string_view data, MeshBuffers& mesh, std::string& error) {
    ScanRules rules;
    rules.comment = '#';
    rules.commaIsBlank = true;
    rules.brackets = true;
    rules.quotedStrings = true;
    TextScanner scan(data, rules);

    std::vector<std::string_view> nodes;  // the type of each open node
    std::size_t faceSetDepth = 0;         // nodes.size() inside the open face set, or 0
    std::vector<double> faceSetPoints;
    std::vector<long long> faceSetIndices;
    CoordinateBlock current;
    std::string_view previous;
    for (std::string_view token = scan.token(); !token.empty(); token = scan.token()) {
        if (token == "{") {
            nodes.push_back(previous);
            if (previous == "IndexedFaceSet" && faceSetDepth == 0) {
                faceSetDepth = nodes.size();
                faceSetPoints.clear();
                faceSetIndices.clear();
            }
        } else if (token == "}") {
            if (nodes.empty()) {
                error = scan.where() + "a \"}\" closes no node";
                return false;
            }
            if (nodes.size() == faceSetDepth) {
                faceSetDepth = 0;
                if ((!faceSetPoints.empty() &&
                     !appendPoints(faceSetPoints, mesh, current, error)) ||
                    !appendFaces(faceSetIndices, current, mesh, error)) {
                    error = scan.where() + "IndexedFaceSet: " + error;
                    return false;
                }
            }
            nodes.pop_back();
        } else if (token == "point") {
            std::vector<double> points;
            if (!readList(scan, "point", points, error)) return false;
            bool texture = !nodes.empty() && (nodes.back() == "TextureCoordinate" ||
                                              nodes.back() == "TextureCoordinate2");
            if (texture) {
                // u, v pairs: not positions
            } else if (faceSetDepth != 0) {
                faceSetPoints.insert(faceSetPoints.end(), points.begin(), points.end());
            } else if (!appendPoints(points, mesh, current, error)) {
                error = scan.where() + error;
                return false;
            }
        } else if (token == "coordIndex") {
            std::vector<long long> indices;
            if (!readList(scan, "coordIndex", indices, error)) return false;
            if (faceSetDepth != 0) {
                faceSetIndices.insert(faceSetIndices.end(), indices.begin(), indices.end());
            } else if (!appendFaces(indices, current, mesh, error)) {
                error = scan.where() + error;
                return false;
            }
        }
        previous = token;
    }
    if (!nodes.empty()) {
        error = "the file ends inside a node " + quoted(nodes.back());
        return false;
    }
    return true;
}

}  // namespace geometry::readers
