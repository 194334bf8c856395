// Endpoint detection, its neighbour search and the root choice.
#include <gtest/gtest.h>

#include <random>

#include "analysis/endpoints.h"
#include "analysis/neighbour_search.h"
#include "analysis/skeleton_contraction.h"
#include "child_process.h"
#include "test_meshes.h"
#include "vessel_tree.h"

namespace {

// A matrix of three columns from its rows' entries.
template <typename Scalar>
Eigen::Matrix<Scalar, -1, -1> rows3(std::vector<Scalar> entries) {
    return Eigen::Map<Eigen::Matrix<Scalar, -1, 3, Eigen::RowMajor>>(entries.data(),
                                                                     entries.size() / 3, 3);
}
const auto P = rows3<double>;
const auto I = rows3<int>;

// The grid must give exactly the brute-force neighbourhoods: the same indices
// in the same order, the same float-rounded distances. Returns their total.
size_t expectSameAsBruteForce(const Eigen::MatrixXd& S, double r, bool usesGrid) {
    const NeighbourGrid grid(S, r);
    EXPECT_EQ(grid.usesGrid(), usesGrid) << r;
    Neighbourhood fast, slow;
    size_t total = 0;
    for (int i = 0; i < S.rows(); ++i) {
        grid.neighbours(i, fast);
        bruteForceNeighbours(S, r, i, slow);
        EXPECT_TRUE(fast.index == slow.index && fast.distance == slow.distance) << i << ", " << r;
        total += slow.index.size();
    }
    return total;
}

}  // namespace

// The faces only set the radius r (the mean of their edge sums). Ends are
// appended to what the list holds.
TEST(FindEndpoints, KnownEnds) {
    const struct {
        Eigen::MatrixXd S;
        Eigen::MatrixXi F;
        std::vector<int> before, after;
    } cases[] = {
        // clang-format off
        // Five points on the x axis, in order and shuffled.
        {P({0, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0}), I({0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4}),
         {7, 3}, {7, 3, 0, 4}},
        {P({2, 0, 0, 4, 0, 0, 0, 0, 0, 1, 0, 0, 3, 0, 0}), I({2, 3, 3, 3, 0, 0, 0, 4, 4, 4, 1, 1}),
         {}, {1, 2}},
        {P({0, 0, 0, 1, 0, 0, 2, 0, 0}), Eigen::MatrixXi(0, 3), {}, {}},  // r = 0 / 0
        {Eigen::MatrixXd(0, 3), Eigen::MatrixXi(0, 3), {}, {}},
        // Three coinciding points have only neighbours at distance 0.
        {P({1, 1, 1, 1, 1, 1, 1, 1, 1, 50, 0, 0, 50.5, 0, 0}), I({0, 1, 2, 3, 4, 4}), {}, {}},
        // A neighbour at a right angle to the direction does not disqualify.
        {P({0, 0, 0, 1, 0, 0, 0, 0.5, 0}), I({0, 1, 2}), {}, {0, 1, 2}},
        // clang-format on
    };
    for (const auto& c : cases) {
        std::vector<int> e = c.before;
        findEndpoints(c.S, c.F, e);
        EXPECT_EQ(e, c.after) << c.S;
    }
    // Distances rounded to float decide the farthest neighbour: from point 0,
    // points 1 (at 1) and 2 (at 1 + 1e-12) tie and the smaller index wins;
    // point 3 lies behind point 2's direction but not behind point 1's.
    std::vector<int> e;
    findEndpoints(P({0, 0, 0, 1, 0, 0, 0, 1 + 1e-12, 0, 0.5, -0.5, 0}), I({1, 2, 2}), e);
    EXPECT_EQ(e.size() > 0 ? e.front() : -1, 0);
}

// Flat clouds near the origin and far out; a contracted tree; lattices of
// spacing r (distances at the strict test's boundary), exact and nudged;
// degenerate radii and points.
TEST(NeighbourGrid, MatchesBruteForce) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    Eigen::MatrixXd S(800, 3);
    for (int i = 0; i < S.rows(); ++i) S.row(i) << u(rng), u(rng), 0.01 * u(rng);
    for (double r : {0.02, 0.37, 3.0}) EXPECT_GT(expectSameAsBruteForce(S, r, true), 0u);
    S = (S * 1e3).rowwise() + Eigen::RowVector3d(1e7, -3e6, 5e5);
    EXPECT_GT(expectSameAsBruteForce(S, 40.0, true), 0u);
    Eigen::MatrixXi F;
    vessel_tree::bifurcationMesh(2000, S, F);
    contractMesh(S, F, 5.0, 10);
    for (double r : {0.01, 0.05, 0.2}) EXPECT_GT(expectSameAsBruteForce(S, r, true), 0u);
    const auto lattice = [](int side) {  // side^3 points of spacing 1
        Eigen::MatrixXd L(side * side * side, 3);
        for (int k = 0; k < L.rows(); ++k) L.row(k) << k / (side * side), k / side % side, k % side;
        return L;
    };
    for (double r : {0.1, 1.0 / 3.0, 0.7, 1.0}) {
        S = r * lattice(6);
        EXPECT_GT(expectSameAsBruteForce(S, r, true), 0u);
        S.col(0) *= 1.0 + 1e-9;
        S.col(1) *= 1.0 - 1e-9;
        EXPECT_GT(expectSameAsBruteForce(S, r, true), 0u);
    }
    S = lattice(3);
    for (double r : {double(NAN), 0.0, -1.0}) EXPECT_EQ(expectSameAsBruteForce(S, r, false), 0u);
    EXPECT_GT(expectSameAsBruteForce(S, INFINITY, false), 0u);  // everything finite
    S.row(3) << NAN, 0, 0;  // non-finite points are nobody's neighbours
    S.row(5) << INFINITY, 1, 1;
    S.row(7) = S.row(8);  // coinciding points
    EXPECT_GT(expectSameAsBruteForce(S, 1.5, true), 0u);
    S.row(0) << 1e300, 0, 0;  // too far out for the radius: brute force
    EXPECT_GT(expectSameAsBruteForce(S, 1.5, false), 0u);
}

// The bigger of two spheres is less curved and wins; coinciding copies tie
// and the first listed wins; a vertex without area (no face, or a NaN corner)
// has a NaN measure, which never replaces; no endpoint gives -1 silently.
TEST(FindRootPoint, LeastCurvedFirstWinsAndNaNNeverReplaces) {
    const auto small = test_meshes::icosphere(1.0, 2), big = test_meshes::icosphere(3.0, 2);
    const int n = static_cast<int>(small.V.rows()), nanCorner = 2 * n + 1, unused = 2 * n + 3;
    Eigen::MatrixXd V(2 * n + 4, 3);
    V << small.V, big.V.rowwise() + Eigen::RowVector3d(10, 0, 0),
        P({NAN, 5, 5, 6, 5, 5, 5, 6, 5, 9, 9, 9});
    Eigen::MatrixXi F(2 * small.F.rows() + 1, 3);
    F << small.F, big.F.array() + n, Eigen::RowVector3i(2 * n, nanCorner, 2 * n + 2);
    const std::string line = runInChild([&] { findRootPoint({0, n + 4, 1}, V, F); }).out;
    EXPECT_EQ(line, "Root point index is " + std::to_string(n + 4) + "\n");
    EXPECT_EQ(runInChild([&] { findRootPoint({}, V, F); }).out, "");
    // clang-format off
    const std::pair<std::vector<int>, int> cases[] = {
        {{0, n + 4, 1}, n + 4}, {{3}, 3}, {{0, 2 * n, nanCorner, unused}, 0},
        {{nanCorner, 0}, nanCorner}, {{unused, 0}, unused}, {{}, -1}};
    // clang-format on
    for (const auto& [endpoints, root] : cases) EXPECT_EQ(findRootPoint(endpoints, V, F), root);

    V.middleRows(n, n) = small.V;
    F.middleRows(small.F.rows(), small.F.rows()) = small.F.array() + n;
    EXPECT_EQ(findRootPoint({n + 7, 7}, V, F), n + 7);
    EXPECT_EQ(findRootPoint({7, n + 7}, V, F), 7);
}
