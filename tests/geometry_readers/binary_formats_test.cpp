// PLY in its three encodings and binary STL, on files built byte by byte.

#include <gtest/gtest.h>

#include <functional>

#include "geometry/read_triangle_mesh.h"
#include "reader_files.h"

namespace {

const Eigen::MatrixXd square = pointRows({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0.5, 1, -2}});
const Eigen::MatrixXi squareFan = faceRows({{0, 1, 2}, {0, 2, 3}, {3, 2, 1}});

// A PLY whose vertex element carries x, y, z of one type among other
// properties, an unrelated element before the faces, and the faces as a quad
// and a triangle with the given count and index types.
std::string plyFile(const char* encoding, const char* coordinateType, const char* countType,
                    const char* indexType, const char* listName,
                    const std::function<void(ByteWriter&)>& body) {
    std::string header =
        std::string("ply\nformat ") + encoding +
        " 1.0\ncomment made by hand\nobj_info nothing\n"
        "element vertex 4\nproperty uchar red\n"
        "property " +
        coordinateType + " x\nproperty " + coordinateType + " y\nproperty " + coordinateType +
        " z\n"
        "property list uchar int extra\n"
        "element material 1\nproperty float shine\n"
        "element face 2\nproperty list " +
        countType + " " + indexType + " " + listName + "\nproperty int flags\nend_header\n";
    ByteWriter out;
    out.bigEndian = std::string(encoding) == "binary_big_endian";
    body(out);
    return header + out.bytes;
}

void binaryBody(ByteWriter& out, const std::function<void(double)>& coordinate,
                const std::function<void(unsigned)>& count, const std::function<void(int)>& index) {
    for (int i = 0; i < 4; ++i) {
        out.u8(200);
        for (int d = 0; d < 3; ++d) coordinate(square(i, d));
        out.u8(2);
        out.i32(-7);
        out.i32(9);
    }
    out.f32(0.5f);  // the material
    count(4);
    for (int i : {0, 1, 2, 3}) index(i);
    out.i32(0);
    count(3);
    for (int i : {3, 2, 1}) index(i);
    out.i32(1);
}

TEST(ReadPly, Ascii) {
    std::string text =
        plyFile("ascii", "float", "uchar", "int", "vertex_indices", [](ByteWriter& out) {
            out.bytes =
                "255 0 0 0 0\n1 1 0 0 1 2\n2 1 1 0 2 -3 4\r\n3 0.5 1 -2e0 0\n"
                "0.25\n"
                "4 0 1 2 3 0\n3 3 2 1 5\n";
        });
    ReadResult r = readMesh(writeFile("ascii.ply", text));
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_TRUE(sameMatrix(r.V, square));
    EXPECT_TRUE(sameMatrix(r.F, squareFan));
}

TEST(ReadPly, BinaryOfEitherByteOrderAndAnyNumericType) {
    struct Case {
        const char* encoding;
        const char* coordinateType;
        const char* countType;
        const char* indexType;
        const char* listName;
    } cases[] = {
        {"binary_little_endian", "float", "uchar", "int", "vertex_indices"},
        {"binary_big_endian", "float", "uchar", "int", "vertex_indices"},
        {"binary_little_endian", "double", "int", "uint", "vertex_index"},
        {"binary_big_endian", "float64", "uint16", "int16", "vertex_indices"},
        {"binary_little_endian", "float32", "int8", "uint8", "vertex_indices"},
        {"binary_big_endian", "double", "uint", "uint32", "vertex_index"},
    };
    for (const Case& c : cases) {
        const std::string types = std::string(c.coordinateType) + c.countType + c.indexType;
        auto sized = [](const std::string& t, ByteWriter& out, double v) {
            if (t == "float" || t == "float32")
                out.f32(static_cast<float>(v));
            else if (t == "double" || t == "float64")
                out.f64(v);
            else if (t == "uchar" || t == "int8" || t == "uint8")
                out.u8(static_cast<unsigned>(v));
            else if (t == "int16" || t == "uint16")
                out.u16(static_cast<unsigned>(v));
            else
                out.u32(static_cast<std::uint32_t>(v));
        };
        std::string text = plyFile(c.encoding, c.coordinateType, c.countType, c.indexType,
                                   c.listName, [&](ByteWriter& out) {
                                       binaryBody(
                                           out, [&](double v) { sized(c.coordinateType, out, v); },
                                           [&](unsigned n) { sized(c.countType, out, n); },
                                           [&](int i) { sized(c.indexType, out, i); });
                                   });
        ReadResult r = readMesh(writeFile("binary.ply", text));
        ASSERT_TRUE(r.ok) << c.encoding << " " << types << ": " << r.err;
        EXPECT_TRUE(sameMatrix(r.V, square)) << c.encoding << " " << types;
        EXPECT_TRUE(sameMatrix(r.F, squareFan)) << c.encoding << " " << types;
    }
}

TEST(ReadPly, IntegerCoordinatesAndNoFaces) {
    std::string text =
        "ply\nformat ascii 1.0\nelement vertex 2\nproperty short x\n"
        "property short y\nproperty short z\nend_header\n-1 2 3\n4 5 6\n";
    ReadResult r = readMesh(writeFile("points.ply", text));
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_TRUE(sameMatrix(r.V, pointRows({{-1, 2, 3}, {4, 5, 6}})));
    EXPECT_EQ(r.F.rows(), 0);
}

const std::vector<float> twoTriangles = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0};

TEST(ReadStl, BinaryIsChosenBySizeEvenWhenTheHeaderSaysSolid) {
    for (const char* header : {"binary from a hand-made writer", "solid but really binary"}) {
        ReadResult r = readMesh(writeFile("binary.stl", binaryStl(header, twoTriangles)));
        ASSERT_TRUE(r.ok) << header << ": " << r.err;
        EXPECT_TRUE(sameMatrix(
            r.V, pointRows({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 0, 0}, {1, 1, 0}, {0, 1, 0}})));
        EXPECT_TRUE(sameMatrix(r.F, faceRows({{0, 1, 2}, {3, 4, 5}})));
    }
    ReadResult none = readMesh(writeFile("none.stl", binaryStl("solid", {})));
    ASSERT_TRUE(none.ok) << none.err;
    EXPECT_EQ(none.V.rows(), 0);
}

TEST(ReadStl, SinglePrecisionReadOfBinary) {
    std::string path =
        writeFile("single.stl", binaryStl("x", {0.1f, 0.2f, 0.3f, 1, 0, 0, 0, 1, 0}));
    Eigen::MatrixXf V;
    Eigen::MatrixXi F;
    ASSERT_TRUE(geometry::read_triangle_mesh(path, V, F));
    EXPECT_EQ(V(0, 0), 0.1f);
    EXPECT_EQ(V(0, 2), 0.3f);
}

}  // namespace
