// Merging coinciding vertices on load, and the library merge under it.
#include <gtest/gtest.h>

#include "analysis/remove_duplicate_vertices.h"
#include "child_process.h"
#include "geometry/remove_duplicate_vertices.h"
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

// A triangle soup comes back as the sphere. Epsilon 0.05 rounds x / 0.5,
// halves away from zero: 0.25, 0.74 to 1; 0.2, +-0.24 to 0; -0.25, -0.74 to -1.
TEST(RemoveDuplicateVertices, LibrarySoupAndRounding) {
    const auto merged = [](const Eigen::MatrixXd& X, double epsilon, Eigen::MatrixXd& SV,
                           Eigen::VectorXi& SVI) {
        Eigen::VectorXi SVJ;
        geometry::remove_duplicate_vertices(X, epsilon, SV, SVI, SVJ);
        return SVJ;
    };
    const auto sphere = test_meshes::icosphere(1.0, 2);
    const Eigen::MatrixXd soup = sphere.V(sphere.F.transpose().reshaped(), Eigen::all);
    Eigen::MatrixXd SV;
    Eigen::VectorXi SVI;
    const Eigen::VectorXi SVJ = merged(soup, 1e-7, SV, SVI);
    EXPECT_TRUE(SV.rows() == sphere.V.rows() && Eigen::MatrixXd(SV(SVJ, Eigen::all)) == soup);
    Eigen::MatrixXd X = Eigen::MatrixXd::Zero(8, 3);
    X.col(0) << 0.25, 0.74, 0.2, -0.25, -0.74, 0.24, -0.24, 0.76;  // 0.76 to 2
    EXPECT_EQ(merged(X, 0.05, SV, SVI), (Eigen::VectorXi(8) << 0, 0, 1, 2, 2, 1, 1, 3).finished());
    EXPECT_EQ(SV(0, 0), 0.25);
}
