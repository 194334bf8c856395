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
// straight-line distance on the flat square (a mesh with boundary). Two
// antipodal sources on an inward sphere: every point within a quarter circle.
TEST(HeatGeodesics, SphereAndFlatPatchAgainstExactDistances) {
    const auto sphere = test_meshes::icosphere(1.0, 4), flat = test_meshes::grid(40, 40, 1.0, 1.0);
    for (const auto& [m, source] : {std::pair{&sphere, 0},
                                    {&sphere, 100},
                                    {&sphere, 2000},
                                    {&flat, 20 * 41 + 20},
                                    {&flat, 0},
                                    {&flat, 41 * 41 - 1}}) {
        const VectorXd D = distances(*m, VectorXi::Constant(1, source));
        ASSERT_EQ(D.size(), m->V.rows());
        EXPECT_NEAR(D(source), 0.0, 1e-12);
        const VectorXd cosine = m->V * m->V.row(source).transpose();
        const VectorXd exact = m == &sphere ? cosine.cwiseMax(-1).cwiseMin(1).array().acos().eval()
                                            : (m->V.rowwise() - m->V.row(source)).rowwise().norm();
        EXPECT_LT((D - exact).cwiseAbs().maxCoeff(), 0.05) << m->V.rows() << " source " << source;
    }
    const VectorXd D =
        distances(test_meshes::flipped(test_meshes::icosphere(1.0, 3)), Eigen::Vector2i(0, 3));
    EXPECT_TRUE(std::abs(D(0)) < 0.02 && std::abs(D(3)) < 0.02);
    EXPECT_TRUE(D.minCoeff() > -0.02 && D.maxCoeff() < M_PI / 2 + 0.05);
}

// A second sphere far away, a loose vertex and a zero-area face leave the
// first sphere's distances as they were.
TEST(HeatGeodesics, SeveralPiecesLooseVerticesAndDegenerateFaces) {
    const auto a = test_meshes::icosphere(1.0, 3);
    const Eigen::Index n = a.V.rows();
    test_meshes::Mesh m{Eigen::MatrixXd(2 * n + 1, 3), Eigen::MatrixXi(2 * a.F.rows() + 1, 3)};
    m.V << a.V, a.V.rowwise() + Eigen::RowVector3d(10, 0, 0), -5, -5, -5;
    m.F << a.F, a.F.array() + static_cast<int>(n), 0, 1, 1;
    const VectorXd D = distances(m, VectorXi::Zero(1), 0.01);
    ASSERT_TRUE(D.allFinite());
    EXPECT_LT((D.head(n) - distances(a, VectorXi::Zero(1), 0.01)).cwiseAbs().maxCoeff(), 1e-9);
}

TEST(HeatGeodesics, BadTimeStepFailsAndBadSourcesGiveNaN) {
    const auto m = test_meshes::icosphere(1.0, 1);
    geometry::HeatGeodesicsData data;
    EXPECT_FALSE(geometry::heat_geodesics_precompute(m.V, m.F, 0.0, data));
    EXPECT_FALSE(geometry::heat_geodesics_precompute(m.V, m.F, NAN, data));
    ASSERT_TRUE(geometry::heat_geodesics_precompute(m.V, m.F, 0.01, data));
    VectorXd D;
    geometry::heat_geodesics_solve(data, VectorXi::Constant(1, -1), D);
    ASSERT_EQ(D.size(), m.V.rows());
    EXPECT_TRUE(D.array().isNaN().all());
    geometry::heat_geodesics_solve(data, Eigen::Vector2i(5, 1000), D);
    EXPECT_EQ(D(5), 0.0);
}
