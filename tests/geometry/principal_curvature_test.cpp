// Principal curvature on surfaces with known curvature: spheres, a cylinder,
// a plane and a torus, with both face orientations.
#include <gtest/gtest.h>

#include <Eigen/Geometry>
#include <cmath>

#include "fp_traps.h"
#include "geometry/principal_curvature.h"
#include "test_meshes.h"

using Eigen::MatrixXd;
using Eigen::VectorXd;

namespace {

struct Curvature {
    MatrixXd PD1, PD2;
    VectorXd PV1, PV2;
};

// Also checks that every row is an orthonormal frame with |PV1| <= |PV2|.
Curvature curvatureOf(const test_meshes::Mesh& m) {
    Curvature c;
    geometry::principal_curvature(m.V, m.F, c.PD1, c.PD2, c.PV1, c.PV2);
    EXPECT_LT((c.PD1.rowwise().norm().array() - 1).abs().maxCoeff(), 1e-9);
    EXPECT_LT((c.PD2.rowwise().norm().array() - 1).abs().maxCoeff(), 1e-9);
    EXPECT_LT(c.PD1.cwiseProduct(c.PD2).rowwise().sum().cwiseAbs().maxCoeff(), 1e-6);
    EXPECT_TRUE((c.PV1.cwiseAbs().array() <= c.PV2.cwiseAbs().array() + 1e-12).all());
    return c;
}

}  // namespace

TEST(PrincipalCurvature, SpheresOfTwoRadiiWithEitherOrientation) {
    for (double r : {1.0, 250.0}) {
        const auto sphere = test_meshes::icosphere(r, 5);
        for (double sign : {1.0, -1.0}) {
            const Curvature c = curvatureOf(sign > 0 ? sphere : test_meshes::flipped(sphere));
            EXPECT_LT((c.PV1 * r).cwiseMax(c.PV2 * r).maxCoeff() - sign, 0.02) << r;
            EXPECT_GT((c.PV1 * r).cwiseMin(c.PV2 * r).minCoeff() - sign, -0.02) << r;
            const VectorXd normalPart = c.PD1.cwiseProduct(sphere.V).rowwise().sum() / r;
            EXPECT_LT(normalPart.cwiseAbs().maxCoeff(), 1e-2) << r;  // tangent directions
        }
    }
}

// Away from its open ends a tube's first direction follows the axis, with
// either orientation. With flat caps at a right angle to the wall, turned so
// that the normals' dot products miss 0 by rounding, the wall keeps its
// curvatures and PD1 along the axis right up to the rim.
TEST(PrincipalCurvature, TubesOpenAndFlatCapped) {
    const auto tube = test_meshes::cylinder(0.5, 3.0, 121, 128);
    for (double sign : {1.0, -1.0}) {
        const Curvature c = curvatureOf(sign > 0 ? tube : test_meshes::flipped(tube));
        for (Eigen::Index v = 0; v < tube.V.rows(); ++v) {
            if (tube.V(v, 2) < 0.5 || tube.V(v, 2) > 2.5) continue;
            ASSERT_GT(c.PD1(v, 2), 0.999) << v;  // one sense for all: neighbours agree
            ASSERT_NEAR(c.PV1(v), 0.0, 0.01) << v;
            ASSERT_NEAR(c.PV2(v) * 0.5, sign, 0.02) << v;
        }
    }
    auto capped = test_meshes::cappedCylinder(1.0, 4.0, 41, 64);
    const Eigen::Matrix3d turn =
        Eigen::AngleAxisd(0.7, Eigen::Vector3d(1, 2, 3).normalized()).matrix();
    const MatrixXd V = capped.V;
    capped.V = V * turn.transpose();
    const Curvature c = curvatureOf(capped);
    for (Eigen::Index v = 0; v < 64 * 41; ++v) {
        if (V(v, 2) < 1e-9 || V(v, 2) > 4.0 - 1e-9) continue;  // the rims
        ASSERT_GT(std::abs(c.PD1.row(v).dot(turn.col(2).transpose())), 0.999) << V.row(v);
        ASSERT_NEAR(c.PV1(v), 0.0, 0.02) << V.row(v);
        ASSERT_NEAR(c.PV2(v), 1.0, 0.06) << V.row(v);
    }
}

TEST(PrincipalCurvature, PlaneAndTorus) {
    auto plane = test_meshes::grid(20, 20, 2.0, 2.0);
    plane.V.col(2).setConstant(3.0);
    const Curvature p = curvatureOf(plane);
    EXPECT_LT(p.PV1.cwiseAbs().maxCoeff() + p.PV2.cwiseAbs().maxCoeff(), 1e-9);

    const double R = 2.0, r = 0.5;
    const auto m = test_meshes::torus(R, r, 360, 120);
    const Curvature c = curvatureOf(m);
    for (Eigen::Index v = 0; v < m.V.rows(); ++v) {
        if (std::abs(m.V(v, 2)) > 1e-9) continue;  // equator rings only
        const double rho = std::hypot(m.V(v, 0), m.V(v, 1));
        // Across the tube 1/r; along the big circle cos(w) / (R + r cos(w)):
        // 1/2.5 outside, -1/1.5 inside (a saddle).
        EXPECT_NEAR(c.PV1(v), rho > R ? 1.0 / (R + r) : -1.0 / (R - r), 0.03) << v;
        EXPECT_NEAR(c.PV2(v), 1.0 / r, 0.05) << v;
        EXPECT_GT(std::abs(c.PD1(v, 0) * -m.V(v, 1) + c.PD1(v, 1) * m.V(v, 0)) / rho, 0.999);
    }
    // The field along the big circles is orientable, so the two rows of
    // every edge agree in sign, all the way round.
    for (Eigen::Index f = 0; f < m.F.rows(); ++f)
        for (int k = 0; k < 3; ++k)
            ASSERT_GT(c.PD1.row(m.F(f, k)).dot(c.PD1.row(m.F(f, (k + 1) % 3))), 0.0) << f;
}

// A tetrahedron (too few neighbours) with a face without area and a loose
// vertex; a sphere with an extra vertex that only a face without area uses:
// zero rows there, the rest unharmed.
TEST(PrincipalCurvature, TooFewNeighboursAndVerticesWithoutAreaGiveZeroRows) {
    const TrapsMasked masked;  // normals of vertices without area are 0 / 0
    test_meshes::Mesh m{
        (MatrixXd(5, 3) << 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 7, 7, 7).finished(),
        (Eigen::MatrixXi(5, 3) << 0, 2, 1, 0, 1, 3, 0, 3, 2, 1, 2, 3, 1, 1, 2).finished()};
    Curvature c;
    geometry::principal_curvature(m.V, m.F, c.PD1, c.PD2, c.PV1, c.PV2);
    EXPECT_EQ(c.PD1.cwiseAbs().sum() + c.PD2.cwiseAbs().sum() + c.PV1.cwiseAbs().sum(), 0.0);
    const auto sphere = test_meshes::icosphere(1.0, 3);
    const int extra = static_cast<int>(sphere.V.rows());
    m.V.resize(extra + 1, 3);
    m.V << sphere.V, sphere.V.row(0);
    m.F.resize(sphere.F.rows() + 1, 3);
    m.F << sphere.F, 0, extra, 0;
    geometry::principal_curvature(m.V, m.F, c.PD1, c.PD2, c.PV1, c.PV2);
    EXPECT_TRUE(c.PV1(extra) == 0.0 && c.PD1.allFinite());
    const VectorXd plain = curvatureOf(sphere).PV1;
    EXPECT_LT((c.PV1.head(extra) - plain).cwiseAbs().maxCoeff(), 0.02);
    EXPECT_NEAR(c.PV1(100), plain(100), 1e-12);  // far from the extra vertex
}
