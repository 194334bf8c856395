// The grid search must give exactly the brute-force neighbourhoods: the same
// indices in the same order and the same float-rounded distances.
#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "analysis/neighbour_search.h"
#include "analysis/skeleton_contraction.h"
#include "test_meshes.h"
#include "vessel_tree.h"

namespace {

// Returns how many neighbours there were in all.
size_t expectSameAsBruteForce(const Eigen::MatrixXd& S, double r, bool usesGrid) {
    const NeighbourGrid grid(S, r);
    EXPECT_EQ(grid.usesGrid(), usesGrid) << r;
    Neighbourhood fast, slow;
    size_t total = 0;
    for (int i = 0; i < S.rows(); ++i) {
        grid.neighbours(i, fast);
        bruteForceNeighbours(S, r, i, slow);
        EXPECT_EQ(fast.index, slow.index) << "point " << i << ", r " << r;
        EXPECT_EQ(fast.distance, slow.distance) << "point " << i << ", r " << r;
        total += slow.index.size();
    }
    return total;
}

}  // namespace

// Random flat clouds, near the origin and far from it (large cell numbers);
// a raw and a contracted tree; a sphere.
TEST(NeighbourGrid, MatchesBruteForceOnCloudsAndMeshes) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    Eigen::MatrixXd S(800, 3);
    for (int i = 0; i < S.rows(); ++i) S.row(i) << u(rng), u(rng), 0.01 * u(rng);
    for (double r : {0.02, 0.1, 0.37, 3.0}) EXPECT_GT(expectSameAsBruteForce(S, r, true), 0u);
    const Eigen::MatrixXd far = (S * 1e3).rowwise() + Eigen::RowVector3d(1e7, -3e6, 5e5);
    EXPECT_GT(expectSameAsBruteForce(far, 40.0, true), 0u);

    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    vessel_tree::bifurcationMesh(2000, V, F);
    EXPECT_GT(expectSameAsBruteForce(V, 0.1, true), 0u);
    contractMesh(V, F, 5.0, 10);
    for (double r : {0.01, 0.05, 0.2}) EXPECT_GT(expectSameAsBruteForce(V, r, true), 0u);
    EXPECT_GT(expectSameAsBruteForce(test_meshes::icosphere(1.0, 3).V, 0.3, true), 0u);
}

// Lattices of spacing r, where many distances equal r exactly or within
// float rounding (the strict test's boundary); degenerate radii and points.
TEST(NeighbourGrid, MatchesBruteForceAtTheEdges) {
    const auto lattice = [](double r, int side) {
        Eigen::MatrixXd S(side * side * side, 3);
        for (int k = 0; k < S.rows(); ++k) S.row(k) << k / (side * side), k / side % side, k % side;
        return Eigen::MatrixXd(r * S);
    };
    for (double r : {0.1, 1.0 / 3.0, 0.7, 1.0}) {
        Eigen::MatrixXd S = lattice(r, 6);
        EXPECT_GT(expectSameAsBruteForce(S, r, true), 0u);
        S.col(0) *= 1.0 + 1e-9;
        EXPECT_GT(expectSameAsBruteForce(S, r, true), 0u);
        S.col(1) *= 1.0 - 1e-9;
        EXPECT_GT(expectSameAsBruteForce(S, r, true), 0u);
    }
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Eigen::MatrixXd S = lattice(1.0, 3);
    for (double r : {nan, 0.0, -1.0}) {  // no neighbours at all
        const NeighbourGrid grid(S, r);
        Neighbourhood nb;
        for (int i = 0; i < S.rows(); ++i) {
            grid.neighbours(i, nb);
            EXPECT_TRUE(nb.index.empty()) << r;
        }
    }
    EXPECT_GT(expectSameAsBruteForce(S, inf, false), 0u);  // everything finite
    S.row(3) << nan, 0, 0;  // non-finite points are nobody's neighbours
    S.row(5) << inf, 1, 1;
    S.row(7) = S.row(8);  // coinciding points
    EXPECT_GT(expectSameAsBruteForce(S, 1.5, true), 0u);
    S.row(0) << 1e300, 0, 0;  // too far out for the radius: brute force
    EXPECT_GT(expectSameAsBruteForce(S, 1.5, false), 0u);
}
