// Files that are valid but odd: huge counts of entries that hold nothing, and
// an empty triangle section beside tetrahedra.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "child_process.h"
#include "reader_files.h"

namespace {

// Elements without properties take no bytes, so a small file may declare
// billions of entries; reading must not walk through them. In a child with an
// alarm, so that a stall fails the test instead of holding up the suite.
TEST(ReadPly, ElementsWithoutPropertiesCostNothing) {
    std::string text = "ply\nformat ascii 1.0\n";
    for (int k = 0; k < 1000; ++k) text += "element empty" + std::to_string(k) + " 715827882\n";
    text +=
        "element vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
        "element face 1\nproperty list uchar int vertex_indices\nend_header\n"
        "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n";
    const std::string path = writeScratch("empty_elements.ply", text);
    const ChildResult child = runInChild([&] {
        alarm(20);
        const ReadResult r = readMesh(path);
        std::exit(r.ok && r.V.rows() == 3 && r.F.rows() == 1 ? 0 : 1);
    });
    EXPECT_TRUE(child.exited) << "the read stalled";
    EXPECT_EQ(child.exitStatus, 0);
}

TEST(ReadMedit, AnEmptyTriangleSectionLeavesTheTetrahedraBoundary) {
    const std::string head =
        "MeshVersionFormatted 1\nDimension 3\nVertices\n4\n"
        "0 0 0 0\n1 0 0 0\n0 1 0 0\n0 0 1 0\n";
    const std::string tets = "Tetrahedra\n1\n1 2 3 4 0\n";
    ReadResult r = readMesh(writeScratch("empty_triangles.mesh", head + "Triangles\n0\n" + tets));
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(r.F.rows(), 4);
    r = readMesh(writeScratch("one_triangle.mesh", head + "Triangles\n1\n1 2 3 0\n" + tets));
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_TRUE(same(r.F, rows3<int>({0, 1, 2})));  // given triangles win over tetrahedra
}

}  // namespace
