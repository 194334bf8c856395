// Feeds arbitrary bytes to the mesh parsers. The first byte picks the format
// (its value modulo 6: obj, off, ply, stl, wrl, mesh, so the digits '0' to
// '5' do), the rest is the file's contents. Besides the sanitizers' checks,
// every outcome must be sound: a refusal carries a one-line message, and an
// accepted mesh has finite positions and every index in range.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "geometry/mesh_readers.h"

using geometry::readers::MeshBuffers;
using geometry::readers::MeshFormat;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const MeshFormat format = static_cast<MeshFormat>(data[0] % 6);
    std::string_view contents(reinterpret_cast<const char*>(data + 1), size - 1);
    MeshBuffers mesh;
    std::string error;
    if (!geometry::readers::parseMesh(format, contents, mesh, error)) {
        if (error.empty() || error.find('\n') != std::string::npos) __builtin_trap();
        return 0;
    }
    if (mesh.positions.size() % 3 != 0 || mesh.triangles.size() % 3 != 0) __builtin_trap();
    for (double value : mesh.positions)
        if (!std::isfinite(value)) __builtin_trap();
    for (int index : mesh.triangles)
        if (index < 0 || index >= mesh.vertexCount()) __builtin_trap();
    return 0;
}
