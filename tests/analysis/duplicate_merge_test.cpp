// Merging coinciding vertices on load.
#include <gtest/gtest.h>

#include "analysis/remove_duplicate_vertices.h"
#include "child_process.h"
#include "test_meshes.h"

// A shared edge stored twice, a pair 3e-7 apart (one multiple of 1e-6: merged,
// its face kept as a degenerate one) and a pair 2e-6 apart (kept apart). With
// nothing to merge, the mesh stays exactly as it was (in reversed order, which
// a merge in first-occurrence order would change) and nothing is printed.
TEST(RemoveDuplicateVertices, MergesWithinToleranceKeepingEveryFace) {
    Eigen::MatrixXd V = Eigen::Matrix<double, 9, 3>{
        {0, 0, 0}, {1, 0, 0},         {0, 1, 0},         {1, 0, 0},   {1, 1, 0},
        {0, 1, 0}, {5.0000001, 1, 1}, {5.0000004, 1, 1}, {2e-6, 0, 0}};
    Eigen::MatrixXi F = Eigen::Matrix<int, 4, 3>{{0, 1, 2}, {3, 4, 5}, {0, 6, 7}, {7, 8, 0}};
    const Eigen::MatrixXd corners = V(F.reshaped(), Eigen::all);
    EXPECT_EQ(runInChild([&] { removeDuplicateVertices(V, F); }).out,
              "Removed duplicate vertices, new mesh has 6 vertices and 4 faces\n");
    removeDuplicateVertices(V, F);
    ASSERT_TRUE(V.rows() == 6 && F.rows() == 4);
    EXPECT_LT((V(F.reshaped(), Eigen::all) - corners).cwiseAbs().maxCoeff(), 1e-6);
    EXPECT_TRUE(F(0, 1) == F(1, 0) && F(0, 2) == F(1, 2) && F(2, 1) == F(2, 2) &&
                F(3, 1) != F(3, 2));

    const auto mesh = test_meshes::icosphere(1.0, 2);
    V = mesh.V.colwise().reverse();
    F = (static_cast<int>(V.rows()) - 1 - mesh.F.array()).matrix();
    const Eigen::MatrixXd V0 = V;
    const Eigen::MatrixXi F0 = F;
    EXPECT_EQ(runInChild([&] { removeDuplicateVertices(V, F); }).out, "");
    removeDuplicateVertices(V, F);
    EXPECT_TRUE(V == V0 && F == F0);
}
