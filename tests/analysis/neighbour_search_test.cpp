// The grid search must give exactly the brute-force neighbourhoods: the same
// indices in the same order and the same rounded distances.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "analysis/neighbour_search.h"
#include "analysis/skeleton_contraction.h"
#include "test_meshes.h"
#include "vessel_tree.h"

namespace {

void expectSameAsBruteForce(const Eigen::MatrixXd& S, double r, bool expectGrid) {
    const NeighbourGrid grid(S, r);
    if (r > 0.0) {
        EXPECT_EQ(grid.usesGrid(), expectGrid);
    }
    Neighbourhood fast, slow;
    size_t total = 0;
    for (int i = 0; i < S.rows(); ++i) {
        grid.neighbours(i, fast);
        bruteForceNeighbours(S, r, i, slow);
        ASSERT_EQ(fast.index, slow.index) << "point " << i << ", r " << r;
        ASSERT_EQ(fast.distance, slow.distance) << "point " << i;
        total += slow.index.size();
    }
    // Make sure the case tested something (or nothing, on purpose).
    if (std::isfinite(r) && r > 0.0) {
        EXPECT_GT(total, 0u);
    }
}

// Points placed on a lattice of the radius itself, so that many distances
// equal r, or round to it, exactly: the boundary of the strict test.
Eigen::MatrixXd latticeOfRadius(double r, int side) {
    Eigen::MatrixXd S(side * side * side, 3);
    int k = 0;
    for (int x = 0; x < side; ++x)
        for (int y = 0; y < side; ++y)
            for (int z = 0; z < side; ++z) S.row(k++) << x * r, y * r, z * r;
    return S;
}

}  // namespace

TEST(NeighbourGrid, MatchesBruteForceOnRandomClouds) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    Eigen::MatrixXd S(800, 3);
    for (int i = 0; i < S.rows(); ++i) S.row(i) << u(rng), u(rng), 0.01 * u(rng);
    for (double r : {0.02, 0.1, 0.37, 3.0}) expectSameAsBruteForce(S, r, true);
    // Far from the origin, where cell numbers are large.
    Eigen::MatrixXd T = (S * 1e3).rowwise() + Eigen::RowVector3d(1e7, -3e6, 5e5);
    expectSameAsBruteForce(T, 40.0, true);
}

TEST(NeighbourGrid, MatchesBruteForceAtTheRadiusBoundary) {
    for (double r : {0.1, 1.0 / 3.0, 0.7, 1.0}) {
        Eigen::MatrixXd S = latticeOfRadius(r, 6);
        expectSameAsBruteForce(S, r, true);
        // Nudged by less than float precision: rounding decides.
        S.col(0) *= 1.0 + 1e-9;
        expectSameAsBruteForce(S, r, true);
        S.col(1) *= 1.0 - 1e-9;
        expectSameAsBruteForce(S, r, true);
    }
}

TEST(NeighbourGrid, MatchesBruteForceOnContractedAndRawMeshes) {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    vessel_tree::bifurcationMesh(2000, V, F);
    expectSameAsBruteForce(V, 0.1, true);
    Eigen::MatrixXd S = V;
    contractMesh(S, F, 5.0, 10);
    for (double r : {0.01, 0.05, 0.2}) expectSameAsBruteForce(S, r, true);

    expectSameAsBruteForce(test_meshes::icosphere(1.0, 3).V, 0.3, true);
}

TEST(NeighbourGrid, DegenerateRadiiAndPoints) {
    Eigen::MatrixXd S = latticeOfRadius(1.0, 3);
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // NaN, zero and negative radii: no neighbours at all.
    for (double r : {nan, 0.0, -1.0}) {
        const NeighbourGrid grid(S, r);
        Neighbourhood nb;
        for (int i = 0; i < S.rows(); ++i) {
            grid.neighbours(i, nb);
            EXPECT_TRUE(nb.index.empty());
        }
    }
    // An infinite radius takes everything finite: the brute-force path.
    expectSameAsBruteForce(S, inf, false);

    // Non-finite points are nobody's neighbours, and have none themselves.
    S.row(3) << nan, 0, 0;
    S.row(5) << inf, 1, 1;
    expectSameAsBruteForce(S, 1.5, true);
    // Coinciding points.
    S.row(7) = S.row(8);
    expectSameAsBruteForce(S, 1.5, true);
    // Coordinates too far out for the radius: the brute-force path.
    S.row(0) << 1e300, 0, 0;
    expectSameAsBruteForce(S, 1.5, false);
}
