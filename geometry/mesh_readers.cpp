#include "geometry/mesh_readers.h"

#include <climits>
#include <cmath>

#include "geometry/text_scanner.h"

namespace geometry::readers {

bool formatForExtension(const std::string& extension, MeshFormat& format) {
    static const struct {
        const char* extension;
        MeshFormat format;
    } table[] = {{"obj", MeshFormat::Obj}, {"off", MeshFormat::Off}, {"ply", MeshFormat::Ply},
                 {"stl", MeshFormat::Stl}, {"wrl", MeshFormat::Wrl}, {"mesh", MeshFormat::Medit}};
    for (const auto& entry : table) {
        if (extension == entry.extension) {
            format = entry.format;
            return true;
        }
    }
    return false;
}

bool parseMesh(MeshFormat format, std::string_view data, MeshBuffers& mesh, std::string& error) {
    mesh = MeshBuffers();
    switch (format) {
        case MeshFormat::Obj:
            return parseObj(data, mesh, error);
        case MeshFormat::Off:
            return parseOff(data, mesh, error);
        case MeshFormat::Ply:
            return parsePly(data, mesh, error);
        case MeshFormat::Stl:
            return parseStl(data, mesh, error);
        case MeshFormat::Wrl:
            return parseWrl(data, mesh, error);
        case MeshFormat::Medit:
            return parseMedit(data, mesh, error);
    }
    return false;
}

void addFan(MeshBuffers& mesh, const int* corners, std::size_t n) {
    for (std::size_t k = 1; k + 1 < n; ++k) {
        mesh.triangles.push_back(corners[0]);
        mesh.triangles.push_back(corners[k]);
        mesh.triangles.push_back(corners[k + 1]);
    }
}

bool addVertex(MeshBuffers& mesh, double x, double y, double z, std::string& error) {
    if (mesh.positions.size() >= 3 * static_cast<std::size_t>(INT_MAX / 3)) {
        error = "more vertices than int indices can number";
        return false;
    }
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
        error = "vertex " + std::to_string(mesh.vertexCount()) +
                " has a coordinate that is not a finite number";
        return false;
    }
    mesh.positions.push_back(x);
    mesh.positions.push_back(y);
    mesh.positions.push_back(z);
    return true;
}

bool readVertex(TextScanner& scan, MeshBuffers& mesh, std::string& error) {
    double x, y, z;
    if (!scan.readDouble(x) || !scan.readDouble(y) || !scan.readDouble(z)) {
        error = scan.where() + "vertex " + std::to_string(mesh.vertexCount()) +
                " is missing or not three numbers";
        return false;
    }
    if (!addVertex(mesh, x, y, z, error)) {
        error = scan.where() + error;
        return false;
    }
    return true;
}

}  // namespace geometry::readers
