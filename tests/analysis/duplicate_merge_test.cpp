// Merging coinciding vertices on load.
#include <gtest/gtest.h>

#include "analysis/remove_duplicate_vertices.h"
#include "child_process.h"
#include "test_meshes.h"

// Nothing to merge leaves the mesh exactly as it was (in reversed order, which
// a merge in first-occurrence order would change) and prints nothing.
TEST(RemoveDuplicateVertices, NothingToMergeLeavesTheMeshAlone) {
    const auto mesh = test_meshes::icosphere(1.0, 2);
    Eigen::MatrixXd V = mesh.V.colwise().reverse();
    Eigen::MatrixXi F = (static_cast<int>(V.rows()) - 1 - mesh.F.array()).matrix();
    const Eigen::MatrixXd V0 = V;
    const Eigen::MatrixXi F0 = F;
    EXPECT_EQ(runInChild([&] { removeDuplicateVertices(V, F); }).out, "");
    removeDuplicateVertices(V, F);
    EXPECT_EQ(V, V0);
    EXPECT_EQ(F, F0);
}

// A shared edge stored twice, a pair 3e-7 apart (one multiple of 1e-6: merged,
// its face kept as a degenerate one) and a pair 2e-6 apart (kept apart).
TEST(RemoveDuplicateVertices, MergesWithinToleranceKeepingEveryFace) {
    Eigen::MatrixXd V(9, 3);
    V << 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0,  //
        5.0000001, 1, 1, 5.0000004, 1, 1, 2e-6, 0, 0;
    Eigen::MatrixXi F(4, 3);
    F << 0, 1, 2, 3, 4, 5, 0, 6, 7, 7, 8, 0;
    const Eigen::MatrixXd corners = V(F.reshaped(), Eigen::all);
    const ChildResult r = runInChild([&] { removeDuplicateVertices(V, F); });
    EXPECT_EQ(r.out, "Removed duplicate vertices, new mesh has 6 vertices and 4 faces\n");
    removeDuplicateVertices(V, F);
    ASSERT_EQ(V.rows(), 6);
    ASSERT_EQ(F.rows(), 4);
    EXPECT_LT((V(F.reshaped(), Eigen::all) - corners).cwiseAbs().maxCoeff(), 1e-6);
    EXPECT_EQ(F(0, 1), F(1, 0));
    EXPECT_EQ(F(0, 2), F(1, 2));
    EXPECT_EQ(F(2, 1), F(2, 2));
    EXPECT_NE(F(3, 1), F(3, 2));
}
