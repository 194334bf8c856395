// Heat-method distances against known geodesic distances: great circles on a
// sphere, straight lines on a flat patch with boundary; and the meshes that
// must not break it (pieces, loose vertices, bad input).

#include <gtest/gtest.h>

#include <cmath>

#include "geometry/avg_edge_length.h"
#include "geometry/heat_geodesics.h"
#include "test_meshes.h"

using Eigen::VectorXd;
using Eigen::VectorXi;

namespace {

// t: the heat time step; by default the squared mean edge length.
VectorXd distances(const test_meshes::Mesh& m, const VectorXi& sources, double t = 0.0) {
    geometry::HeatGeodesicsData data;
    if (t == 0.0) t = std::pow(geometry::avg_edge_length(m.V, m.F), 2);
    EXPECT_TRUE(geometry::heat_geodesics_precompute(m.V, m.F, t, data));
    VectorXd D;
    geometry::heat_geodesics_solve(data, sources, D);
    return D;
}

}  // namespace

// The exact distance is the great-circle distance on the unit sphere and the
// straight-line distance on the flat square (a mesh with boundary).
TEST(HeatGeodesics, SphereAndFlatPatchAgainstExactDistances) {
    const auto sphere = test_meshes::icosphere(1.0, 4);
    const auto flat = test_meshes::grid(40, 40, 1.0, 1.0);
    const std::vector<std::pair<const test_meshes::Mesh*, int>> cases = {
        {&sphere, 0},          {&sphere, 100}, {&sphere, 2000},
        {&flat, 20 * 41 + 20}, {&flat, 0},     {&flat, 41 * 41 - 1}};
    for (const auto& [m, source] : cases) {
        const VectorXd D = distances(*m, VectorXi::Constant(1, source));
        ASSERT_EQ(D.size(), m->V.rows());
        EXPECT_NEAR(D(source), 0.0, 1e-12);
        const Eigen::RowVector3d s = m->V.row(source);
        double worst = 0.0;
        for (Eigen::Index v = 0; v < m->V.rows(); ++v) {
            const double exact = m == &sphere ? std::acos(std::clamp(m->V.row(v).dot(s), -1.0, 1.0))
                                              : (m->V.row(v) - s).norm();
            worst = std::max(worst, std::abs(D(v) - exact));
        }
        EXPECT_LT(worst, 0.05) << (m == &sphere ? "sphere" : "flat") << " source " << source;
    }
}

TEST(HeatGeodesics, TwoSourcesAndInwardFaces) {
    const VectorXd D = distances(test_meshes::flipped(test_meshes::icosphere(1.0, 3)),
                                 (VectorXi(2) << 0, 3).finished());
    // Vertices 0 and 3 are antipodal: every point is within a quarter circle of one.
    EXPECT_NEAR(D(0), 0.0, 0.02);
    EXPECT_NEAR(D(3), 0.0, 0.02);
    EXPECT_GT(D.minCoeff(), -0.02);
    EXPECT_LT(D.maxCoeff(), M_PI / 2 + 0.05);
}

TEST(HeatGeodesics, SeveralPiecesLooseVerticesAndDegenerateFaces) {
    const auto a = test_meshes::icosphere(1.0, 3);
    auto m = a;  // and a second sphere far away, a loose vertex and a zero-area face
    const Eigen::Index n = a.V.rows();
    m.V.conservativeResize(2 * n + 1, 3);
    m.V.middleRows(n, n) = a.V.rowwise() + Eigen::RowVector3d(10, 0, 0);
    m.V.row(2 * n) << -5, -5, -5;
    m.F.conservativeResize(2 * a.F.rows() + 1, 3);
    m.F.middleRows(a.F.rows(), a.F.rows()) = a.F.array() + static_cast<int>(n);
    m.F.row(m.F.rows() - 1) << 0, 1, 1;
    const VectorXd D = distances(m, VectorXi::Constant(1, 0), 0.01);
    ASSERT_TRUE(D.allFinite());
    EXPECT_LT((D.head(n) - distances(a, VectorXi::Constant(1, 0), 0.01)).cwiseAbs().maxCoeff(),
              1e-9);
}

TEST(HeatGeodesics, BadTimeStepFailsAndBadSourcesGiveNaN) {
    const auto m = test_meshes::icosphere(1.0, 1);
    geometry::HeatGeodesicsData data;
    EXPECT_FALSE(geometry::heat_geodesics_precompute(m.V, m.F, 0.0, data));
    EXPECT_FALSE(geometry::heat_geodesics_precompute(m.V, m.F, std::nan(""), data));
    ASSERT_TRUE(geometry::heat_geodesics_precompute(m.V, m.F, 0.01, data));
    VectorXd D;
    geometry::heat_geodesics_solve(data, VectorXi::Constant(1, -1), D);
    ASSERT_EQ(D.size(), m.V.rows());
    EXPECT_TRUE(D.array().isNaN().all());
    geometry::heat_geodesics_solve(data, (VectorXi(2) << 5, 1000).finished(), D);
    EXPECT_EQ(D(5), 0.0);
}
