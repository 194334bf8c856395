// Endpoint detection, the curvature measure around an end, and the root choice.
#include <gtest/gtest.h>

#include "analysis/curvature_measure.h"
#include "analysis/endpoints.h"
#include "child_process.h"
#include "fp_traps.h"
#include "test_meshes.h"

namespace {

template <typename Scalar>
Eigen::Matrix<Scalar, -1, -1> rows3(std::vector<Scalar> entries) {
    return Eigen::Map<Eigen::Matrix<Scalar, -1, 3, Eigen::RowMajor>>(entries.data(),
                                                                     entries.size() / 3, 3);
}
const auto P = rows3<double>;
const auto I = rows3<int>;

}  // namespace

// The faces only set the radius r (three times the mean of their edges). Ends
// are appended to what the list holds; ends within one another's radius are
// one, the one nearest their middle. A point whose vertex moved far reaches
// far: across a gap that stops points that stayed put.
TEST(FindEndpoints, KnownEnds) {
    const Eigen::MatrixXd gap = P({0, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 4,  0, 0,  //
                                   6, 0, 0, 7, 0, 0, 8, 0, 0, 9, 0, 0, 10, 0, 0});
    const Eigen::MatrixXi pairs = I({0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4,    //
                                     5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9});  // r = 2
    Eigen::MatrixXd moved = gap;
    moved.middleRows(4, 2).col(1).array() += 1.0;
    const struct {
        Eigen::MatrixXd S, V;
        Eigen::MatrixXi F;
        std::vector<int> before, after;
    } cases[] = {
        // clang-format off
        // Five points on the x axis, shuffled.
        {P({2, 0, 0, 4, 0, 0, 0, 0, 0, 1, 0, 0, 3, 0, 0}), {}, I({2, 3, 3, 3, 0, 0, 0, 4, 4, 4, 1, 1}),
         {7, 3}, {7, 3, 1, 2}},
        // Three coinciding points have only neighbours at distance 0.
        {P({1, 1, 1, 1, 1, 1, 1, 1, 1, 50, 0, 0, 50.5, 0, 0}), {}, I({0, 1, 2, 3, 4, 4}), {}, {}},
        // All three are ends (a neighbour at a right angle does not count as
        // behind), and one is kept.
        {P({0, 0, 0, 1, 0, 0, 0, 0.5, 0}), {}, I({0, 1, 2}), {}, {0}},
        {gap, gap, pairs, {}, {0, 4, 5, 9}},
        {gap, moved, pairs, {}, {0, 9}},
        // clang-format on
    };
    for (const auto& c : cases) {
        std::vector<int> e = c.before;
        findEndpoints(c.S, c.V.rows() ? c.V : c.S, c.F, e);
        EXPECT_EQ(e, c.after) << c.S;
    }
    const TrapsMasked masked;  // without faces r is 0 / 0
    std::vector<int> e;
    for (const Eigen::MatrixXd& S : {P({0, 0, 0, 1, 0, 0, 2, 0, 0}), Eigen::MatrixXd(0, 3)})
        findEndpoints(S, Eigen::MatrixXi(0, 3), e);
    EXPECT_TRUE(e.empty());
}

// |k1 + k2| is 0 on a flat cap; around an end the measure reads the vessel's
// wall, 1/r, whether the end is capped or open, in any units.
TEST(CurvatureMeasure, EveryEndReadsItsWall) {
    for (double scale : {1e-3, 1.0, 1e3}) {
        const auto capped = test_meshes::cappedCylinder(scale, 8 * scale, 61, 48);
        const auto open = test_meshes::cylinder(scale, 8 * scale, 61, 48);
        const int centre = static_cast<int>(capped.V.rows()) - 2;
        EXPECT_LT(CurvatureMeasure(capped.V, capped.F).at(centre) * scale, 1e-9);
        EXPECT_NEAR(CurvatureMeasure(capped.V, capped.F).around(centre) * scale, 1.0, 0.1);
        EXPECT_NEAR(CurvatureMeasure(open.V, open.F).around(0) * scale, 1.0, 0.1);
    }
}

// The bigger of two spheres is less curved and wins; coinciding copies tie
// and the first listed wins; a vertex without area (no face, or a NaN corner)
// has a NaN measure, which never replaces; no endpoint gives -1 silently.
TEST(FindRootPoint, LeastCurvedFirstWinsAndNaNNeverReplaces) {
    const TrapsMasked masked;  // the NaN corner
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
