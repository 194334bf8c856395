// PLY in its three encodings and binary STL, on files built byte by byte.

#include <gtest/gtest.h>

#include "reader_files.h"

namespace {

const Eigen::MatrixXd corners = rows3<double>({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, -2});
const Eigen::MatrixXi cornerFaces = rows3<int>({0, 1, 2, 0, 2, 3, 3, 2, 1});

void putAs(ByteWriter& out, const std::string& type, double v) {
    if (type == "float" || type == "float32")
        out.put(static_cast<float>(v));
    else if (type == "double" || type == "float64")
        out.put(v);
    else if (type == "uchar" || type == "int8" || type == "uint8")
        out.put(static_cast<std::int8_t>(v));
    else if (type == "short" || type == "int16" || type == "uint16")
        out.put(static_cast<std::int16_t>(v));
    else
        out.put(static_cast<std::int32_t>(v));
}

// The ascii file and binary copies of it: other properties around x, y, z,
// an unrelated element before the faces (a quad and a triangle) with flags.
TEST(ReadPly, EveryEncodingAndNumericType) {
    ReadResult r = readMesh(MORVIK_SOURCE_DIR "/tests/geometry_readers/data/valid/square.ply");
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_TRUE(same(r.V, corners));
    EXPECT_TRUE(same(r.F, cornerFaces));
    // Per case: encoding, coordinate type, list count type, index type, list name.
    const std::vector<std::array<std::string, 5>> cases = {
        {"binary_little_endian", "float", "uchar", "int", "vertex_indices"},
        {"binary_big_endian", "float", "uchar", "int", "vertex_indices"},
        {"binary_little_endian", "double", "int", "uint", "vertex_index"},
        {"binary_big_endian", "float64", "uint16", "int16", "vertex_indices"},
        {"binary_little_endian", "int16", "int8", "uint8", "vertex_indices"},
        {"binary_big_endian", "int", "uint", "uint32", "vertex_index"}};
    for (const auto& [encoding, coordinate, count, index, list] : cases) {
        ByteWriter out(encoding == "binary_big_endian");
        out.bytes = "ply\nformat " + encoding + " 1.0\nelement vertex 4\nproperty uchar red\n";
        for (const char* axis : {" x\n", " y\n", " z\n"})
            out.bytes += "property " + coordinate + axis;
        out.bytes +=
            "property list uchar int extra\nelement material 1\nproperty float shine\n"
            "element face 2\nproperty list " +
            count + " " + index + " " + list + "\nproperty int flags\nend_header\n";
        for (int v = 0; v < 4; ++v) {
            out.put<std::uint8_t>(200);
            for (int d = 0; d < 3; ++d) putAs(out, coordinate, corners(v, d));
            out.put<std::uint8_t>(2);
            out.put<std::int32_t>(-7);
            out.put<std::int32_t>(9);
        }
        out.put(0.5f);  // the material
        for (const auto& face : {std::vector<int>{0, 1, 2, 3}, std::vector<int>{3, 2, 1}}) {
            putAs(out, count, face.size());
            for (int i : face) putAs(out, index, i);
            out.put<std::int32_t>(1);
        }
        const std::string what = encoding + " " + coordinate + " " + count + " " + index;
        r = readMesh(writeScratch("file.ply", out.bytes));
        ASSERT_TRUE(r.ok) << what << ": " << r.err;
        EXPECT_TRUE(same(r.V, corners)) << what;
        EXPECT_TRUE(same(r.F, cornerFaces)) << what;
    }
}

TEST(ReadStl, BinaryIsChosenBySizeEvenWhenTheHeaderSaysSolid) {
    const std::vector<float> two = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0};
    for (const char* header : {"binary from a hand-made writer", "solid but really binary"}) {
        ReadResult r = readMesh(writeScratch("binary.stl", binaryStl(header, two)));
        ASSERT_TRUE(r.ok) << header << ": " << r.err;
        EXPECT_TRUE(
            same(r.V, rows3<double>({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0})));
        EXPECT_TRUE(same(r.F, rows3<int>({0, 1, 2, 3, 4, 5})));
    }
    ReadResult none = readMesh(writeScratch("none.stl", binaryStl("solid", {})));
    ASSERT_TRUE(none.ok) << none.err;
    EXPECT_EQ(none.V.rows(), 0);

    Eigen::MatrixXf V;
    Eigen::MatrixXi F;
    const std::string path =
        writeScratch("single.stl", binaryStl("x", {0.1f, 0.2f, 0.3f, 1, 0, 0, 0, 1, 0}));
    ASSERT_TRUE(geometry::read_triangle_mesh(path, V, F));
    EXPECT_EQ(V.row(0), Eigen::RowVector3f(0.1f, 0.2f, 0.3f));
}

}  // namespace
