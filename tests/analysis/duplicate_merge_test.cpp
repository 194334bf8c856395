// Merging coinciding vertices on load.
#include <gtest/gtest.h>

#include "analysis/remove_duplicate_vertices.h"
#include "child_process.h"
#include "test_meshes.h"

TEST(RemoveDuplicateVertices, NothingToMergeLeavesMeshExactlyAsItWas) {
    const auto mesh = test_meshes::icosphere(1.0, 2);
    Eigen::MatrixXd V = mesh.V;
    Eigen::MatrixXi F = mesh.F;
    // Reverse the vertex order, so that a merge in first-occurrence order
    // would have to reorder them if it touched anything.
    V = V.colwise().reverse().eval();
    F = (static_cast<int>(V.rows()) - 1 - F.array()).matrix();
    const Eigen::MatrixXd V0 = V;
    const Eigen::MatrixXi F0 = F;
    ChildResult r = runInChild([&] { removeDuplicateVertices(V, F); });
    EXPECT_EQ(r.out, "");
    removeDuplicateVertices(V, F);
    EXPECT_EQ(V, V0);
    EXPECT_EQ(F, F0);
}

TEST(RemoveDuplicateVertices, SharedEdgeStoredTwice) {
    Eigen::MatrixXd V(6, 3);
    V << 0, 0, 0, 1, 0, 0, 0, 1, 0,  //
        1, 0, 0, 1, 1, 0, 0, 1, 0;
    Eigen::MatrixXi F(2, 3);
    F << 0, 1, 2, 3, 4, 5;
    ChildResult r = runInChild([&] { removeDuplicateVertices(V, F); });
    EXPECT_EQ(r.out, "Removed duplicate vertices, new mesh has 4 vertices and 2 faces\n");
    removeDuplicateVertices(V, F);
    ASSERT_EQ(V.rows(), 4);
    ASSERT_EQ(F.rows(), 2);
    // Every face still has its corners where they were.
    EXPECT_EQ(V.row(F(1, 0)), Eigen::RowVector3d(1, 0, 0));
    EXPECT_EQ(V.row(F(1, 1)), Eigen::RowVector3d(1, 1, 0));
    EXPECT_EQ(V.row(F(1, 2)), Eigen::RowVector3d(0, 1, 0));
    EXPECT_EQ(F(0, 1), F(1, 0));
    EXPECT_EQ(F(0, 2), F(1, 2));
}

TEST(RemoveDuplicateVertices, ToleranceAndDegenerateFaces) {
    // Corners 1 and 2 differ by 3e-7 (same multiple of 1e-6): they merge, and
    // the first face keeps its place as a degenerate face. Corner 3 differs
    // from corner 0 by 2e-6: never merged.
    Eigen::MatrixXd V(4, 3);
    V << 0, 0, 0, 5.0000001, 1, 1, 5.0000004, 1, 1, 2e-6, 0, 0;
    Eigen::MatrixXi F(2, 3);
    F << 0, 1, 2, 2, 3, 0;
    removeDuplicateVertices(V, F);
    ASSERT_EQ(V.rows(), 3);
    ASSERT_EQ(F.rows(), 2);
    EXPECT_EQ(F(0, 1), F(0, 2));
    EXPECT_NE(F(0, 0), F(1, 1));
    EXPECT_EQ(V.row(F(1, 1)), Eigen::RowVector3d(2e-6, 0, 0));
}
