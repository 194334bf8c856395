// Endpoint detection and root choice on hand-made inputs.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "analysis/endpoints.h"
#include "child_process.h"
#include "test_meshes.h"

namespace {

// Points on the x axis, joined by faces that repeat a corner (each face's
// edges sum to twice the spacing).
void axisPoints(const std::vector<double>& xs, Eigen::MatrixXd& S, Eigen::MatrixXi& F) {
    const int n = static_cast<int>(xs.size());
    S = Eigen::MatrixXd::Zero(n, 3);
    for (int i = 0; i < n; ++i) S(i, 0) = xs[i];
    F.resize(n - 1, 3);
    for (int i = 0; i + 1 < n; ++i) F.row(i) << i, i + 1, i + 1;
}

std::vector<int> endpointsOf(const Eigen::MatrixXd& S, const Eigen::MatrixXi& F) {
    std::vector<int> e;
    findEndpoints(S, F, e);
    return e;
}

}  // namespace

TEST(FindEndpoints, FivePointsOnALine) {
    Eigen::MatrixXd S;
    Eigen::MatrixXi F;
    axisPoints({0, 1, 2, 3, 4}, S, F);
    EXPECT_EQ(endpointsOf(S, F), (std::vector<int>{0, 4}));

    // The same points in another order: the ends are found by position.
    Eigen::MatrixXd T(5, 3);
    T << 2, 0, 0, 4, 0, 0, 0, 0, 0, 1, 0, 0, 3, 0, 0;
    Eigen::MatrixXi G(4, 3);
    G << 2, 3, 3, 3, 0, 0, 0, 4, 4, 4, 1, 1;
    EXPECT_EQ(endpointsOf(T, G), (std::vector<int>{1, 2}));
}

TEST(FindEndpoints, AppendsAfterExistingEntries) {
    Eigen::MatrixXd S;
    Eigen::MatrixXi F;
    axisPoints({0, 1, 2, 3, 4}, S, F);
    std::vector<int> e = {7, 3};
    findEndpoints(S, F, e);
    EXPECT_EQ(e, (std::vector<int>{7, 3, 0, 4}));
}

TEST(FindEndpoints, NothingWithoutFacesPointsOrDistinctNeighbours) {
    Eigen::MatrixXd S;
    Eigen::MatrixXi F;
    axisPoints({0, 1, 2, 3, 4}, S, F);
    // No faces: the radius is 0 / 0 and nothing is near anything.
    EXPECT_TRUE(endpointsOf(S, Eigen::MatrixXi(0, 3)).empty());
    EXPECT_TRUE(endpointsOf(Eigen::MatrixXd(0, 3), Eigen::MatrixXi(0, 3)).empty());

    // Three coinciding points: their neighbours all lie at distance 0. The
    // face of the other two points sets r = 0.5, their own distance.
    Eigen::MatrixXd C(5, 3);
    C << 1, 1, 1, 1, 1, 1, 1, 1, 1, 50, 0, 0, 50.5, 0, 0;
    Eigen::MatrixXi G(2, 3);
    G << 0, 1, 2, 3, 4, 4;
    EXPECT_TRUE(endpointsOf(C, G).empty());
}

// Rounding to float decides the farthest neighbour: two neighbours whose
// distances differ below float precision tie, and the smaller index wins.
TEST(FindEndpoints, FarthestNeighbourTiesGoToTheSmallerIndex) {
    // From point 0, point 1 lies at 1 and point 2 at 1 + 1e-12 (the farther
    // one unrounded); point 3 lies behind point 2's direction but not behind
    // point 1's. So point 0 is an end exactly when point 1 is chosen.
    Eigen::MatrixXd S(4, 3);
    S << 0, 0, 0, 1, 0, 0, 0, 1 + 1e-12, 0, 0.5, -0.5, 0;
    Eigen::MatrixXi F(1, 3);
    F << 1, 2, 2;  // r = 2 sqrt(2): everything is near everything
    std::vector<int> e = endpointsOf(S, F);
    ASSERT_FALSE(e.empty());
    EXPECT_EQ(e.front(), 0);
}

// A neighbour exactly at a right angle to the direction does not disqualify.
TEST(FindEndpoints, RightAngleNeighbourKeepsTheEnd) {
    Eigen::MatrixXd S(3, 3);
    S << 0, 0, 0, 1, 0, 0, 0, 0.5, 0;
    Eigen::MatrixXi F(1, 3);
    F << 0, 1, 2;
    // Edges 1, sqrt(1.25), 0.5: r is their sum, so all three are neighbours.
    EXPECT_EQ(endpointsOf(S, F), (std::vector<int>{0, 1, 2}));
}

TEST(FindRootPoint, EmptyListGivesMinusOneSilently) {
    const auto sphere = test_meshes::icosphere(1.0, 1);
    ChildResult r = runInChild([&] { EXPECT_EQ(findRootPoint({}, sphere.V, sphere.F), -1); });
    EXPECT_EQ(r.out, "");
}

// Two spheres side by side: the bigger one is less curved. Two identical
// coinciding copies give exactly equal measures, and the first listed wins.
TEST(FindRootPoint, LeastCurvedEndpointWinsAndTiesGoToTheFirst) {
    const auto small = test_meshes::icosphere(1.0, 2), big = test_meshes::icosphere(3.0, 2);
    const Eigen::MatrixXd &A = small.V, &B = big.V;
    const Eigen::MatrixXi &FA = small.F, &FB = big.F;
    const int n = static_cast<int>(A.rows());
    Eigen::MatrixXd V(2 * n, 3);
    V << A, (B.rowwise() + Eigen::RowVector3d(10, 0, 0));
    Eigen::MatrixXi F(2 * FA.rows(), 3);
    F << FA, (FB.array() + n).matrix();

    ChildResult r = runInChild([&] { findRootPoint({0, n + 4, 1}, V, F); });
    EXPECT_EQ(r.out, "Root point index is " + std::to_string(n + 4) + "\n");
    EXPECT_EQ(findRootPoint({0, n + 4, 1}, V, F), n + 4);
    EXPECT_EQ(findRootPoint({3}, V, F), 3);

    V << A, A;
    F << FA, (FA.array() + n).matrix();
    EXPECT_EQ(findRootPoint({n + 7, 7}, V, F), n + 7);
    EXPECT_EQ(findRootPoint({7, n + 7}, V, F), 7);
}

// A vertex with no area around it (one used by no face, or only by a face
// of zero area, here one with a not-a-number corner) has no measure: not a
// number, which never wins a comparison, so such a vertex is the root only
// when it comes first.
TEST(FindRootPoint, VertexWithoutAreaNeverReplaces) {
    const auto mesh = test_meshes::icosphere(1.0, 1);
    const int n = static_cast<int>(mesh.V.rows());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Eigen::MatrixXd V(n + 4, 3);
    V << mesh.V, Eigen::RowVector3d(nan, 5, 5), Eigen::RowVector3d(6, 5, 5),
        Eigen::RowVector3d(5, 6, 5), Eigen::RowVector3d(9, 9, 9);
    Eigen::MatrixXi F(mesh.F.rows() + 1, 3);
    F << mesh.F, Eigen::RowVector3i(n, n + 1, n + 2);
    const int unused = n + 3;
    EXPECT_EQ(findRootPoint({0, n, n + 1, unused}, V, F), 0);
    EXPECT_EQ(findRootPoint({n + 1, 0}, V, F), n + 1);
    EXPECT_EQ(findRootPoint({unused, 0}, V, F), unused);
}
