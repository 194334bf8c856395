// Damaged copies of valid files never crash a reader, and whatever a reader
// accepts is a sound mesh: finite positions and every index in range. A
// bounded, repeatable cousin of the fuzz target.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "geometry/mesh_readers.h"
#include "reader_files.h"

namespace {

using geometry::readers::MeshBuffers;
using geometry::readers::MeshFormat;

struct Seed {
    MeshFormat format;
    std::string contents;
};

std::vector<Seed> seeds() {
    std::vector<Seed> list = {
        {MeshFormat::Obj, "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1/1 2/2 3/3 4/4\nf -1 -2 -3\n"},
        {MeshFormat::Off, "OFF\n# square\n4 2 0\n0 0 0\n1 0 0\n1 1 0\n0 1 0\n3 0 1 2\n4 0 1 2 3\n"},
        {MeshFormat::Ply,
         "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
         "property float z\nelement face 1\nproperty list uchar int vertex_indices\n"
         "end_header\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n"},
        {MeshFormat::Stl,
         "solid s\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\n"
         "endloop\nendfacet\nendsolid s\n"},
        {MeshFormat::Stl,
         binaryStl("solid", {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3})},
        {MeshFormat::Wrl,
         "#VRML V2.0 utf8\nShape { geometry IndexedFaceSet { coord Coordinate {\n"
         "point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] } coordIndex [ 0 1 2 -1 0 2 3 ] } }\n"},
        {MeshFormat::Medit,
         "MeshVersionFormatted 1\nDimension 3\nVertices\n4\n0 0 0 0\n1 0 0 0\n0 1 0 0\n"
         "0 0 1 0\nTetrahedra\n1\n1 2 3 4 0\nEnd\n"},
    };
    ByteWriter ply;
    ply.bytes =
        "ply\nformat binary_little_endian 1.0\nelement vertex 3\nproperty double x\n"
        "property double y\nproperty double z\nelement face 1\n"
        "property list uchar uint vertex_indices\nend_header\n";
    for (int k = 0; k < 9; ++k) ply.f64(k % 4 == 0 ? 1.0 : 0.0);
    ply.u8(3);
    for (unsigned i : {0u, 1u, 2u}) ply.u32(i);
    list.push_back({MeshFormat::Ply, ply.bytes});
    return list;
}

std::string mutate(const std::string& original, std::mt19937& random) {
    std::string data = original;
    const int edits = 1 + static_cast<int>(random() % 4);
    static const char* pieces[] = {"-1", "0", "4294967296", "99999999999", "nan", "1e999",
                                   "\n", " ", "#",          "[",           "]",   "{",
                                   "}",  "-", "/",          "end_header\n"};
    for (int e = 0; e < edits && !data.empty(); ++e) {
        std::size_t at = random() % data.size();
        switch (random() % 5) {
            case 0:
                data[at] = static_cast<char>(random());
                break;
            case 1:
                data.resize(at);
                break;
            case 2:
                data.erase(at, 1 + random() % 8);
                break;
            case 3:
                data.insert(at, pieces[random() % (sizeof pieces / sizeof *pieces)]);
                break;
            case 4:
                data.insert(at, data.substr(random() % data.size(), 1 + random() % 16));
                break;
        }
    }
    return data;
}

TEST(ReaderRobustness, DamagedFilesFailCleanlyOrGiveSoundMeshes) {
    std::mt19937 random(20261206);
    int accepted = 0, refused = 0;
    for (const Seed& seed : seeds()) {
        MeshBuffers mesh;
        std::string error;
        ASSERT_TRUE(geometry::readers::parseMesh(seed.format, seed.contents, mesh, error)) << error;
        for (int trial = 0; trial < 3000; ++trial) {
            std::string data = mutate(seed.contents, random);
            if (!geometry::readers::parseMesh(seed.format, data, mesh, error)) {
                ++refused;
                ASSERT_FALSE(error.empty()) << data;
                ASSERT_EQ(error.find('\n'), std::string::npos) << error;
                continue;
            }
            ++accepted;
            ASSERT_EQ(mesh.positions.size() % 3, 0u);
            ASSERT_EQ(mesh.triangles.size() % 3, 0u);
            for (double value : mesh.positions) ASSERT_TRUE(std::isfinite(value)) << data;
            for (int index : mesh.triangles) {
                ASSERT_GE(index, 0) << data;
                ASSERT_LT(index, mesh.vertexCount()) << data;
            }
        }
    }
    // Both outcomes must actually occur for the check to mean anything.
    EXPECT_GT(accepted, 100);
    EXPECT_GT(refused, 100);
}

}  // namespace
