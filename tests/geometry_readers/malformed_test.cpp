// Files that cannot be read: each read gives false, empty matrices and one
// line on standard error naming the file, and never crashes.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <limits>

#include "child_process.h"
#include "geometry/read_triangle_mesh.h"
#include "reader_files.h"

namespace {

TEST(ReadFailures, FilesThatCannotBeOpenedOrHaveNoReader) {
    const std::string missing = scratchDir() + "/no such file.off";
    ReadResult r = readMesh(missing);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.err, "IOError: " + missing + " could not be opened...\n");

    const std::string folder = scratchDir() + "/folder.off";
    mkdir(folder.c_str(), 0755);
    r = readMesh(folder);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.err, "IOError: " + folder + " could not be opened...\n");

    r = readMesh("/dev/zero");  // would never end if it were read
    EXPECT_FALSE(r.ok);

    // Opening a named pipe waits for a writer that never comes; in a child,
    // so that a regression shows as a timeout rather than a stuck suite.
    const std::string pipe = scratchDir() + "/pipe.off";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    ChildResult child = runInChild([&] {
        Eigen::MatrixXd V;
        Eigen::MatrixXi F;
        std::exit(geometry::read_triangle_mesh(pipe, V, F) ? 1 : 0);
    });
    EXPECT_TRUE(child.exited);
    EXPECT_EQ(child.exitStatus, 0);
    EXPECT_EQ(child.err, "IOError: " + pipe + " could not be opened...\n");

    r = readMesh(writeFile("model.Xyz", "OFF\n0 0 0\n"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.err, "Error: unknown extension: xyz\n");
    r = readMesh(writeFile("no_extension", "OFF\n0 0 0\n"));
    EXPECT_EQ(r.err, "Error: unknown extension: \n");
    mkdir((scratchDir() + "/dotted.dir").c_str(), 0755);
    r = readMesh(writeFile("dotted.dir/off", "OFF\n0 0 0\n"));  // a dot in a folder name only
    EXPECT_FALSE(r.ok);
}

TEST(ReadFailures, EmptyFilesOfEveryFormat) {
    for (const char* name : {"e.obj", "e.off", "e.ply", "e.stl", "e.wrl", "e.mesh"}) {
        std::string path = writeFile(name, "");
        ReadResult r = readMesh(path);
        EXPECT_TRUE(failedWithOneLine(r, path)) << name;
        EXPECT_NE(r.err.find("empty"), std::string::npos) << r.err;
    }
}

struct Malformed {
    const char* name;  // the file name, whose extension picks the reader
    std::string contents;
    const char* problem;  // a word the message must contain
};

void expectAllFail(const std::vector<Malformed>& files) {
    for (const Malformed& m : files) {
        std::string path = writeFile(m.name, m.contents);
        ReadResult r = readMesh(path);
        EXPECT_TRUE(failedWithOneLine(r, path)) << m.name << ": " << m.contents;
        EXPECT_NE(r.err.find(m.problem), std::string::npos) << r.err;
    }
}

const std::string offHead = "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n";

TEST(ReadFailures, Truncated) {
    std::string ply =
        "ply\nformat binary_little_endian 1.0\nelement vertex 3\nproperty float x\n"
        "property float y\nproperty float z\nelement face 1\n"
        "property list uchar int vertex_indices\nend_header\n";
    ByteWriter body;
    for (int k = 0; k < 9; ++k) body.f32(0.5f * k);
    body.u8(3);
    body.i32(0);
    body.i32(1);  // the third index is missing
    expectAllFail({
        {"t1.off", "OFF\n3 1 0\n0 0 0\n1 0 0\n", "short"},
        {"t2.off", "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1\n# padding\n", "indices"},
        {"t3.off", "OFF\n3 1 0\n0 0 0\n1 0\n0 1 0\n3 0 1 2\n# padding\n", "vertex 1"},
        {"t4.off", "OFF\n", "counts"},
        {"t5.obj", "v 0 0 0\nv 1 0\n", "vertex 1"},
        {"t6.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2\n", "three corners"},
        {"t7.ply", ply + body.bytes, "shorter"},
        {"t8.ply", ply.substr(0, ply.size() - 11), "end_header"},
        {"t9.stl", "solid x\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\n",
         "vertex"},
        {"t10.stl",
         "solid x\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\n"
         "vertex 0 1 0\nendloop\nendfacet\n",
         "endsolid"},
        {"t11.wrl", "Shape { geometry IndexedFaceSet { coord Coordinate { point [ 0 0 0, 1 0",
         "point"},
        {"t12.wrl",
         "Shape { geometry IndexedFaceSet { coord Coordinate { point [ 0 0 0 1 0 0 0 1 0 ] }\n"
         "coordIndex [ 0 1 2 ] ",
         "node"},
        {"t13.mesh", "MeshVersionFormatted 1\nDimension 3\nVertices\n3\n0 0 0 0\n1 0 0 0\n0 1",
         "too large"},
        {"t14.mesh",
         "MeshVersionFormatted 1\nDimension 3\nVertices\n3\n0 0 0 0\n1 0 0 0\n"
         "0 1 0 0\nTriangles\n1\n1 2 3\n",
         "record 1"},
    });
}

TEST(ReadFailures, CountsThatTheFileCannotHold) {
    expectAllFail({
        {"c1.off", "OFF\n100000000 100000000 0\n0 0 0\n", "short"},
        {"c2.off", "OFF\n99999999999999999999 1 0\n", "counts"},
        {"c3.off", "OFF\n-3 1 0\n", "range"},
        {"c4.off", offHead.substr(0, 4) + "4 1 0" + offHead.substr(9), "short"},
        {"c5.ply",
         "ply\nformat binary_little_endian 1.0\nelement vertex 200000000\n"
         "property double x\nproperty double y\nproperty double z\nend_header\n"
         "0123456789",
         "short"},
        {"c6.ply",
         "ply\nformat ascii 1.0\nelement vertex 5000000000\nproperty float x\nend_header\n",
         "count"},
        {"c7.mesh", "MeshVersionFormatted 1\nVertices\n400000000\n0 0 0 1\n", "too large"},
        {"c8.mesh", "MeshVersionFormatted 1\nVertices\n-1\n", "too large"},
        {"c9.stl", binaryStl("header", {0, 0, 0, 1, 0, 0, 0, 1, 0}, 1000), "neither"},
    });
}

TEST(ReadFailures, IndicesOutOfRange) {
    expectAllFail({
        {"i1.off", offHead + "3 0 1 3\n", "refers to vertex 3"},
        {"i2.off", offHead + "3 0 -1 2\n", "refers to vertex -1"},
        {"i3.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n", "out of range"},
        {"i4.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n", "out of range"},
        {"i5.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -4 1 2\n", "out of range"},
        {"i6.obj", "v 0 0 0\nf 1 2 3\nv 1 0 0\nv 0 1 0\n", "out of range"},
        {"i7.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 x\n", "not a vertex index"},
        {"i8.ply",
         "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
         "property float z\nelement face 1\nproperty list uchar uint vertex_indices\n"
         "end_header\n0 0 0\n1 0 0\n0 1 0\n3 0 1 4294967295\n",
         "out of range"},
        {"i9.wrl",
         "IndexedFaceSet { coord Coordinate { point [ 0 0 0 1 0 0 0 1 0 ] }\n"
         "coordIndex [ 0 1 3 -1 ] }",
         "out of range"},
        {"i10.wrl",
         "IndexedFaceSet { coord Coordinate { point [ 0 0 0 1 0 0 0 1 0 ] }\n"
         "coordIndex [ 0 1 -2 -1 ] }",
         "out of range"},
        {"i11.wrl", "IndexedFaceSet { coordIndex [ 0 1 2 -1 ] }", "out of range"},
        {"i12.mesh",
         "MeshVersionFormatted 1\nDimension 3\nVertices\n3\n0 0 0 0\n1 0 0 0\n"
         "0 1 0 0\nTriangles\n1\n0 1 2 0\nEnd\n",
         "refer to vertex 0"},
        {"i13.mesh",
         "MeshVersionFormatted 1\nDimension 3\nVertices\n3\n0 0 0 0\n1 0 0 0\n"
         "0 1 0 0\nTetrahedra\n1\n1 2 3 4 0\nEnd\n",
         "refer to vertex 4"},
    });
}

TEST(ReadFailures, NonFiniteCoordinates) {
    ByteWriter nanPly;
    nanPly.bytes =
        "ply\nformat binary_big_endian 1.0\nelement vertex 1\nproperty float x\n"
        "property float y\nproperty float z\nend_header\n";
    nanPly.bigEndian = true;
    for (float v : {0.0f, std::numeric_limits<float>::quiet_NaN(), 0.0f}) nanPly.f32(v);
    const float inf = std::numeric_limits<float>::infinity();
    expectAllFail({
        {"n1.off", "OFF\n3 1 0\n0 0 0\nnan 0 0\n0 1 0\n3 0 1 2\n", "finite"},
        {"n2.off", "OFF\n3 1 0\n0 0 0\n1e999 0 0\n0 1 0\n3 0 1 2\n", "finite"},
        {"n3.obj", "v 0 0 0\nv inf 0 0\n", "finite"},
        {"n4.ply", nanPly.bytes, "finite"},
        {"n5.stl", binaryStl("x", {0, 0, 0, 1, 0, inf, 0, 1, 0}), "finite"},
        {"n6.stl",
         "solid x\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex NaN 0 0\n"
         "vertex 0 1 0\nendloop\nendfacet\nendsolid x\n",
         "finite"},
        {"n7.wrl", "IndexedFaceSet { coord Coordinate { point [ 0 0 0 1 0 0 0 -inf 0 ] } }",
         "finite"},
        {"n8.mesh", "MeshVersionFormatted 1\nDimension 3\nVertices\n1\nnan 0 0 0\nEnd\n", "finite"},
    });
    // A double that a float cannot hold is refused by the single-precision read.
    std::string path = writeFile("huge.off", "OFF\n3 1 0\n0 0 0\n1e300 0 0\n0 1 0\n3 0 1 2\n");
    Eigen::MatrixXf V;
    Eigen::MatrixXi F;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(geometry::read_triangle_mesh(path, V, F));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(path), std::string::npos);
    EXPECT_NE(err.find("single precision"), std::string::npos) << err;
    EXPECT_TRUE(readMesh(path).ok);  // and the double read takes it
}

TEST(ReadFailures, WrongHeadersAndShapes) {
    expectAllFail({
        {"h1.off", "PLY\n3 1 0\n", "not OFF"},
        {"h2.off", offHead + "2 0 1\n# padding\n", "at least three"},
        {"h3.off", offHead + "3 0 1 2.5\n", "indices"},
        {"h4.ply", "plyx\nformat ascii 1.0\nend_header\n", "not a PLY"},
        {"h5.ply", "ply\nformat utf8 1.0\nend_header\n", "format"},
        {"h6.ply", "ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nend_header\n1\n",
         "x, y and z"},
        {"h7.ply",
         "ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nproperty float y\n"
         "property float z\nelement face 1\nproperty list uchar float vertex_indices\n"
         "end_header\n0 0 0\n3 0 0 0\n",
         "vertex_indices"},
        {"h8.ply",
         "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
         "property float z\nelement face 1\nproperty list uchar int vertex_indices\n"
         "end_header\n0 0 0\n1 0 0\n0 1 0\n2 0 1\n",
         "three corners"},
        {"h9.ply", "ply\nformat ascii 1.0\nproperty float x\nend_header\n", "before any element"},
        {"h10.stl", "hello, not an STL at all, just some words in a file\n", "neither"},
        {"h11.stl", binaryStl("solid but the size is off", {0, 0, 0, 1, 0, 0, 0, 1, 0}) + "x",
         "endsolid"},
        {"h12.stl",
         "solid x\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\n"
         "vertex 0 1 0\nvertex 1 1 0\nendloop\nendfacet\nendsolid x\n",
         "endloop"},
        {"h13.wrl", "IndexedFaceSet { coord Coordinate { point [ 0 0 0 1 0 ] } }", "multiple"},
        {"h14.wrl",
         "IndexedFaceSet { coord Coordinate { point [ 0 0 0 1 0 0 0 1 0 ] }\n"
         "coordIndex [ 0 1 -1 ] }",
         "three corners"},
        {"h15.wrl", "} IndexedFaceSet {", "closes no node"},
        {"h16.wrl", "Coordinate { point 0 0 0 }", "expected"},
        // A quote that opens a string inside a list: the message shows the
        // string without its line ends.
        {"h19.wrl", "IndexedFaceSet { coordIndex [ 0, 1,\"2,\n -1, 0 ] }\n}\n", "not a number"},
        {"h20.ply", "ply\nformat ascii 1.0\nelement vertex\x01 many\r\nend_header\n",
         "no valid count"},
        {"h17.mesh", "Vertices\n1\n0 0 0 0\n", "not a Medit"},
        {"h18.mesh", "MeshVersionFormatted 1\nDimension 2\nVertices\n1\n0 0 0\n", "three-dim"},
    });
}

}  // namespace
