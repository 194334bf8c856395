// Endpoint detection, the curvature measure around an end, and the root choice.
#include <gtest/gtest.h>

#include "analysis/curvature_measure.h"
#include "analysis/end_sections.h"
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

// A wide vessel's end contracts into a disc, not a curve: the disc, with its
// vessel leaving it, holds one end (as the curve's far end does). A thin
// vessel beside it, whose tip lies within the disc's radius but not the
// disc within the tip's, keeps both its ends. A ball, a closed piece shrunk
// on itself with nothing leaving it, holds none.
TEST(FindEndpoints, ABlobAtAVesselsEndIsAnEndABallIsNot) {
    std::vector<double> points, moved;
    const auto add = [&](double x, double y, double z, double m) {
        points.insert(points.end(), {x, y, z});
        moved.insert(moved.end(), {x, y, z + m});
    };
    for (int k = 1; k <= 200; ++k) add(0.05 * k, 0.0, 0.0, 1.0);  // a vessel of radius 1
    const int farEnd = 199;
    const int thinTip = static_cast<int>(points.size() / 3);
    for (int k = 0; k <= 60; ++k) add(2.0, 1.0 + 0.05 * k, 0.0, 0.05);  // one of radius 0.05
    const int thinEnd = thinTip + 60, discFirst = thinEnd + 1;
    for (int j = -10; j <= 10; ++j)
        for (int k = -10; k <= 10; ++k)
            if (j * j + k * k <= 100) add(0.0, 0.1 * j, 0.1 * k, 1.0);
    const int ballFirst = static_cast<int>(points.size() / 3);
    for (int i = -4; i <= 4; ++i)
        for (int j = -4; j <= 4; ++j)
            for (int k = -4; k <= 4; ++k)
                if (i * i + j * j + k * k <= 16) add(50.0 + 0.05 * i, 0.05 * j, 0.05 * k, 1.0);
    const Eigen::MatrixXd S = P(points), V = P(moved);
    Eigen::MatrixXi F(farEnd + 60, 3);  // along the curves: r = 0.1
    for (int k = 0; k < farEnd; ++k) F.row(k) << k, k + 1, k + 1;
    for (int k = 0; k < 60; ++k) F.row(farEnd + k) << thinTip + k, thinTip + k + 1, thinTip + k + 1;
    std::vector<int> e;
    findEndpoints(S, V, F, e);
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0], farEnd);
    EXPECT_EQ(e[1], thinTip);
    EXPECT_EQ(e[2], thinEnd);
    EXPECT_TRUE(e[3] >= discFirst && e[3] < ballFirst && S.row(e[3]).norm() <= 1.0) << e[3];
}

// Flat caps and boundary loops with their centres and radii, at any scale;
// a sphere has neither.
TEST(EndSections, CapsAndLoopsWithTheirRadiiAtAnyScale) {
    for (double scale : {1e-3, 1.0, 1e3}) {
        for (bool capped : {true, false}) {
            const auto tube = capped ? test_meshes::cappedCylinder(scale, 8 * scale, 61, 48)
                                     : test_meshes::cylinder(scale, 8 * scale, 61, 48);
            std::vector<EndSection> s = findEndSections(tube.V, tube.F);
            ASSERT_EQ(s.size(), 2u) << scale;
            std::sort(s.begin(), s.end(), [](const EndSection& a, const EndSection& b) {
                return a.centre.z() < b.centre.z();
            });
            for (int k = 0; k < 2; ++k) {
                EXPECT_LT((s[k].centre - Eigen::Vector3d(0, 0, 8 * scale * k)).norm(),
                          1e-9 * scale);
                EXPECT_NEAR(s[k].radius / scale, 1.0, 0.01);
            }
        }
        const auto ball = test_meshes::icosphere(scale, 3);
        EXPECT_TRUE(findEndSections(ball.V, ball.F).empty()) << scale;
    }
}

// Where some ends are cut (caps, loops), only those compete for the root:
// the open tube's end wins over the sphere beside it, less curved though the
// sphere is (2/3 against 1), whichever comes first.
TEST(FindRootPoint, CutEndsAloneCompeteWhereAModelHasThem) {
    const auto tube = test_meshes::cylinder(1.0, 8.0, 41, 32);
    const auto sphere = test_meshes::icosphere(3.0, 3);
    const int n = static_cast<int>(tube.V.rows());
    Eigen::MatrixXd V(n + sphere.V.rows(), 3);
    V << tube.V, sphere.V.rowwise() + Eigen::RowVector3d(20, 0, 0);
    Eigen::MatrixXi F(tube.F.rows() + sphere.F.rows(), 3);
    F << tube.F, sphere.F.array() + n;
    bool cut = false;
    const CurvatureMeasure measure(V, F);
    EXPECT_NEAR(measure.around(0, &cut), 1.0, 0.01);
    EXPECT_TRUE(cut);
    EXPECT_NEAR(measure.around(n, &cut), 2.0 / 3.0, 0.05);
    EXPECT_FALSE(cut);
    EXPECT_EQ(findRootPoint({n, 0}, V, F), 0);
    EXPECT_EQ(findRootPoint({0, n}, V, F), 0);
    EXPECT_EQ(findRootPoint({n}, V, F), n);
}
