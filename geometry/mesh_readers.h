#pragma once
// Internal to the mesh readers: the per-format parsers behind
// read_triangle_mesh, working on a file's contents held in memory (which is
// also how the fuzz target drives them).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace geometry::readers {

// What a parser produces: positions as x, y, z per vertex and triangles as
// three 0-based vertex indices each, every index already checked against the
// vertex count.
struct MeshBuffers {
    std::vector<double> positions;
    std::vector<int> triangles;
    int vertexCount() const { return static_cast<int>(positions.size() / 3); }
};

enum class MeshFormat { Obj, Off, Ply, Stl, Wrl, Medit };

// The format read for a lower-cased extension ("obj", "off", "ply", "stl",
// "wrl", "mesh"); false for any other.
bool formatForExtension(const std::string& extension, MeshFormat& format);

// Each parser returns false with a one-line description of the fault in
// error (prefixed by the line number where that helps).
bool parseObj(std::string_view data, MeshBuffers& mesh, std::string& error);
bool parseOff(std::string_view data, MeshBuffers& mesh, std::string& error);
bool parsePly(std::string_view data, MeshBuffers& mesh, std::string& error);
bool parseStl(std::string_view data, MeshBuffers& mesh, std::string& error);
bool parseWrl(std::string_view data, MeshBuffers& mesh, std::string& error);
bool parseMedit(std::string_view data, MeshBuffers& mesh, std::string& error);
bool parseMesh(MeshFormat format, std::string_view data, MeshBuffers& mesh, std::string& error);

// Appends the fan triangulation of a polygon (corner 0 with each following
// pair); corners must already be valid 0-based indices, n >= 3.
void addFan(MeshBuffers& mesh, const int* corners, std::size_t n);

// Appends a vertex; false (with error) when a coordinate is NaN or infinite.
bool addVertex(MeshBuffers& mesh, double x, double y, double z, std::string& error);

class TextScanner;
// Reads three numbers from the scanner as the next vertex.
bool readVertex(TextScanner& scan, MeshBuffers& mesh, std::string& error);

}  // namespace geometry::readers
