// Endpoint detection and root choice on inputs whose answers are known.
#include <gtest/gtest.h>

#include <limits>

#include "analysis/endpoints.h"
#include "child_process.h"
#include "test_meshes.h"

namespace {

Eigen::MatrixXd points(std::vector<double> xyz) {
    using Rows = Eigen::Matrix<double, Eigen::Dynamic, 3, Eigen::RowMajor>;
    return Eigen::Map<Rows>(xyz.data(), static_cast<Eigen::Index>(xyz.size() / 3), 3);
}

}  // namespace

// The faces only set the radius r (the mean of their edge sums).
TEST(FindEndpoints, KnownEnds) {
    const struct {
        const char* what;
        Eigen::MatrixXd S;
        Eigen::MatrixXi F;
        std::vector<int> before, after;
    } cases[] = {
        {"five points on the x axis",
         points({0, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0}),
         (Eigen::MatrixXi(4, 3) << 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4).finished(),
         {7, 3},
         {7, 3, 0, 4}},
        {"the same, shuffled",
         points({2, 0, 0, 4, 0, 0, 0, 0, 0, 1, 0, 0, 3, 0, 0}),
         (Eigen::MatrixXi(4, 3) << 2, 3, 3, 3, 0, 0, 0, 4, 4, 4, 1, 1).finished(),
         {},
         {1, 2}},
        {"no faces: r = 0 / 0", points({0, 0, 0, 1, 0, 0, 2, 0, 0}), Eigen::MatrixXi(0, 3), {}, {}},
        {"no points", Eigen::MatrixXd(0, 3), Eigen::MatrixXi(0, 3), {}, {}},
        // Three coinciding points have only neighbours at distance 0.
        {"coinciding points",
         points({1, 1, 1, 1, 1, 1, 1, 1, 1, 50, 0, 0, 50.5, 0, 0}),
         (Eigen::MatrixXi(2, 3) << 0, 1, 2, 3, 4, 4).finished(),
         {},
         {}},
        // A neighbour at a right angle to the direction does not disqualify.
        {"right angle",
         points({0, 0, 0, 1, 0, 0, 0, 0.5, 0}),
         (Eigen::MatrixXi(1, 3) << 0, 1, 2).finished(),
         {},
         {0, 1, 2}},
    };
    for (const auto& c : cases) {
        std::vector<int> e = c.before;
        findEndpoints(c.S, c.F, e);
        EXPECT_EQ(e, c.after) << c.what;
    }
    // Distances rounded to float decide the farthest neighbour: from point 0,
    // points 1 (at 1) and 2 (at 1 + 1e-12) tie and the smaller index wins;
    // point 3 lies behind point 2's direction but not behind point 1's.
    std::vector<int> e;
    findEndpoints(points({0, 0, 0, 1, 0, 0, 0, 1 + 1e-12, 0, 0.5, -0.5, 0}),
                  (Eigen::MatrixXi(1, 3) << 1, 2, 2).finished(), e);
    ASSERT_FALSE(e.empty());
    EXPECT_EQ(e.front(), 0);
}

// Two spheres side by side: the bigger one is less curved and wins, with its
// console line; identical coinciding copies tie and the first listed wins. A
// vertex without area (no face, or a face with a NaN corner) has a NaN
// measure, which never replaces; none at all gives -1 silently.
TEST(FindRootPoint, LeastCurvedFirstWinsAndNaNNeverReplaces) {
    const auto small = test_meshes::icosphere(1.0, 2), big = test_meshes::icosphere(3.0, 2);
    const int n = static_cast<int>(small.V.rows());
    Eigen::MatrixXd V(2 * n + 4, 3);
    V << small.V, big.V.rowwise() + Eigen::RowVector3d(10, 0, 0),
        points({std::numeric_limits<double>::quiet_NaN(), 5, 5, 6, 5, 5, 5, 6, 5, 9, 9, 9});
    Eigen::MatrixXi F(2 * small.F.rows() + 1, 3);
    F << small.F, big.F.array() + n, Eigen::RowVector3i(2 * n, 2 * n + 1, 2 * n + 2);
    const ChildResult r = runInChild([&] { findRootPoint({0, n + 4, 1}, V, F); });
    EXPECT_EQ(r.out, "Root point index is " + std::to_string(n + 4) + "\n");
    const int nanCorner = 2 * n + 1, unused = 2 * n + 3;
    const std::pair<std::vector<int>, int> cases[] = {{{0, n + 4, 1}, n + 4},
                                                      {{3}, 3},
                                                      {{0, 2 * n, nanCorner, unused}, 0},
                                                      {{nanCorner, 0}, nanCorner},
                                                      {{unused, 0}, unused},
                                                      {{}, -1}};
    for (const auto& [endpoints, root] : cases) EXPECT_EQ(findRootPoint(endpoints, V, F), root);
    EXPECT_EQ(runInChild([&] { findRootPoint({}, V, F); }).out, "");

    V.bottomRows(n + 4).topRows(n) = small.V;
    F.middleRows(small.F.rows(), small.F.rows()) = small.F.array() + n;
    EXPECT_EQ(findRootPoint({n + 7, 7}, V, F), n + 7);
    EXPECT_EQ(findRootPoint({7, n + 7}, V, F), 7);
}
