// Heat-method distances against known geodesic distances: great circles on a
// sphere, straight lines on a flat patch with boundary; and the meshes that
// must not break it (pieces, loose vertices, bad input).
#include <gtest/gtest.h>

#include <cmath>

#include "fp_traps.h"
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

// A tube 600 radii long, some 700 edge lengths: heat from the centre of one
// end falls below any double long before the other, so the distance must be
// carried on from the warm region's edge. The centres of the flat ends are
// the length and two radii apart, in any units.
TEST(HeatGeodesics, FarEndOfALongThinTubeAtAnyScale) {
    for (double scale : {1e-3, 1e3}) {
        auto m = test_meshes::cappedCylinder(0.5, 300.0, 1500, 6);
        m.V *= scale;
        const VectorXd D = distances(m, VectorXi::Constant(1, m.V.rows() - 2));
        EXPECT_NEAR(D(m.V.rows() - 1) / scale, 301.0, 0.5) << scale;
        EXPECT_TRUE(D.allFinite() && D.minCoeff() > -1e-9 * scale);
    }
}

// A second sphere far away, a loose vertex and a zero-area face leave the
// first sphere's distances as they were. The Poisson step's factorisation,
// lent out, solves L x = b with the lowest vertex of each piece at 0.
TEST(HeatGeodesics, SeveralPiecesLooseVerticesAndDegenerateFaces) {
    const auto a = test_meshes::icosphere(1.0, 3);
    const Eigen::Index n = a.V.rows();
    test_meshes::Mesh m{Eigen::MatrixXd(2 * n + 1, 3), Eigen::MatrixXi(2 * a.F.rows() + 1, 3)};
    m.V << a.V, a.V.rowwise() + Eigen::RowVector3d(10, 0, 0), -5, -5, -5;
    m.F << a.F, a.F.array() + static_cast<int>(n), 0, 1, 1;
    const VectorXd D = distances(m, VectorXi::Zero(1), 0.01);
    ASSERT_TRUE(D.allFinite());
    EXPECT_LT((D.head(n) - distances(a, VectorXi::Zero(1), 0.01)).cwiseAbs().maxCoeff(), 1e-9);
    geometry::HeatGeodesicsData data;
    ASSERT_TRUE(geometry::heat_geodesics_precompute(m.V, m.F, 0.01, data));
    const VectorXd b = VectorXd::Random(m.V.rows());
    VectorXd x, residual;
    ASSERT_TRUE(geometry::heat_geodesics_poisson_solve(data, b, x));
    residual = data.L * x - b;
    residual(0) = residual(n) = residual(2 * n) = 0.0;
    EXPECT_LT(residual.lpNorm<Eigen::Infinity>(), 1e-10);
    EXPECT_TRUE(x(0) == 0.0 && x(n) == 0.0 && x(2 * n) == 0.0);
}

TEST(HeatGeodesics, BadTimeStepFailsAndBadSourcesGiveNaN) {
    const auto m = test_meshes::icosphere(1.0, 1);
    geometry::HeatGeodesicsData data;
    EXPECT_FALSE(geometry::heat_geodesics_precompute(m.V, m.F, 0.0, data));
    {
        const TrapsMasked masked;  // a NaN time step, compared
        EXPECT_FALSE(geometry::heat_geodesics_precompute(m.V, m.F, NAN, data));
    }
    ASSERT_TRUE(geometry::heat_geodesics_precompute(m.V, m.F, 0.01, data));
    VectorXd D;
    geometry::heat_geodesics_solve(data, VectorXi::Constant(1, -1), D);
    ASSERT_EQ(D.size(), m.V.rows());
    EXPECT_TRUE(D.array().isNaN().all());
    geometry::heat_geodesics_solve(data, Eigen::Vector2i(5, 1000), D);
    EXPECT_EQ(D(5), 0.0);
}
