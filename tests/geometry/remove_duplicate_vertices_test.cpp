// Duplicate-vertex merge: grouping by rounded coordinates, row order and the
// maps between the two vertex sets.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry/remove_duplicate_vertices.h"
#include "test_meshes.h"

using Eigen::MatrixXd;
using Eigen::VectorXi;

TEST(RemoveDuplicateVertices, TriangleSoupOfASphereMergesBackToItsVertices) {
    const auto sphere = test_meshes::icosphere(1.0, 2);
    const auto soup = test_meshes::soup(sphere);
    MatrixXd SV;
    VectorXi SVI, SVJ;
    geometry::remove_duplicate_vertices(soup.V, 1e-7, SV, SVI, SVJ);
    EXPECT_EQ(SV.rows(), sphere.V.rows());
    ASSERT_EQ(SVJ.size(), soup.V.rows());
    for (int i = 0; i < soup.V.rows(); ++i) {
        EXPECT_EQ(SV.row(SVJ(i)), soup.V.row(i));
        EXPECT_LE(SVI(SVJ(i)), i);  // the group's position is its lowest member's
    }
    for (int k = 0; k < SV.rows(); ++k) {
        EXPECT_EQ(SVJ(SVI(k)), k);
        if (k > 0) {
            EXPECT_LT(SVI(k - 1), SVI(k));  // rows in order of first occurrence
        }
    }
}

TEST(RemoveDuplicateVertices, TwoTrianglesStoringTheirSharedEdgeTwice) {
    MatrixXd V(6, 3);
    V << 0, 0, 0, 1, 0, 0, 0, 1, 0,  //
        1, 0, 0, 1, 1, 0, 0, 1, 0;
    MatrixXd SV;
    VectorXi SVI, SVJ;
    geometry::remove_duplicate_vertices(V, 1e-7, SV, SVI, SVJ);
    EXPECT_EQ(SV.rows(), 4);
    EXPECT_EQ(SVI, (VectorXi(4) << 0, 1, 2, 4).finished());
    EXPECT_EQ(SVJ, (VectorXi(6) << 0, 1, 2, 1, 3, 2).finished());
}

TEST(RemoveDuplicateVertices, RoundingBoundaryHalvesAwayFromZero) {
    // epsilon 0.05: coordinates are divided by 0.5 and rounded, so 0.25 and
    // 0.74 both round to 1, 0.2 rounds to 0, -0.25 to -1 (away from zero),
    // and 0.24 and -0.24 both to zero of either sign.
    MatrixXd V(8, 3);
    V << 0.25, 0, 0,  //
        0.74, 0, 0,   //
        0.2, 0, 0,    //
        -0.25, 0, 0,  //
        -0.74, 0, 0,  //
        0.24, 0, 0,   //
        -0.24, 0, 0,  //
        0.76, 0, 0;
    MatrixXd SV;
    VectorXi SVI, SVJ;
    geometry::remove_duplicate_vertices(V, 0.05, SV, SVI, SVJ);
    EXPECT_EQ(SVJ, (VectorXi(8) << 0, 0, 1, 2, 2, 1, 1, 3).finished());
    EXPECT_EQ(SV.rows(), 4);
    EXPECT_EQ(SV(0, 0), 0.25);
    // With the loader's tolerance 1e-7 the grid is 1e-6: a difference below it
    // merges within a cell and never across a larger gap.
    MatrixXd W(3, 3);
    W << 1.0, 2.0, 3.0, 1.0 + 2e-7, 2.0, 3.0, 1.0 + 2e-6, 2.0, 3.0;
    geometry::remove_duplicate_vertices(W, 1e-7, SV, SVI, SVJ);
    EXPECT_EQ(SVJ, (VectorXi(3) << 0, 0, 1).finished());
}

TEST(RemoveDuplicateVertices, ExactModeKeepsNearbyPointsAndNaNStaysAlone) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    MatrixXd V(5, 3);
    V << 0, 0, 0, 0, 0, 1e-300, -0.0, 0, 0, nan, 0, 0, nan, 0, 0;
    MatrixXd SV;
    VectorXi SVI, SVJ;
    geometry::remove_duplicate_vertices(V, 0.0, SV, SVI, SVJ);
    EXPECT_EQ(SVJ, (VectorXi(5) << 0, 1, 0, 2, 3).finished());
    geometry::remove_duplicate_vertices(MatrixXd(0, 3), 1e-7, SV, SVI, SVJ);
    EXPECT_EQ(SV.rows(), 0);
    EXPECT_EQ(SVJ.size(), 0);
}
