// Principal curvature on surfaces with known curvature: spheres, a cylinder,
// a plane and a torus, with both face orientations.

#include <gtest/gtest.h>

#include <cmath>

#include "geometry/principal_curvature.h"
#include "test_meshes.h"

using Eigen::MatrixXd;
using Eigen::VectorXd;

namespace {

struct Curvature {
    MatrixXd PD1, PD2;
    VectorXd PV1, PV2;
};

Curvature curvatureOf(const test_meshes::Mesh& m) {
    Curvature c;
    geometry::principal_curvature(m.V, m.F, c.PD1, c.PD2, c.PV1, c.PV2, 5, true);
    return c;
}

void expectOrthonormalFrames(const Curvature& c) {
    for (Eigen::Index v = 0; v < c.PD1.rows(); ++v) {
        ASSERT_NEAR(c.PD1.row(v).norm(), 1.0, 1e-9) << v;
        ASSERT_NEAR(c.PD2.row(v).norm(), 1.0, 1e-9) << v;
        ASSERT_NEAR(c.PD1.row(v).dot(c.PD2.row(v)), 0.0, 1e-6) << v;
        ASSERT_LE(std::abs(c.PV1(v)), std::abs(c.PV2(v)) + 1e-12) << v;
    }
}

}  // namespace

TEST(PrincipalCurvature, SpheresOfTwoRadiiWithEitherOrientation) {
    for (double r : {1.0, 250.0}) {
        const auto sphere = test_meshes::icosphere(r, 5);
        for (double sign : {1.0, -1.0}) {
            const auto m = sign > 0 ? sphere : test_meshes::flipped(sphere);
            const Curvature c = curvatureOf(m);
            expectOrthonormalFrames(c);
            for (Eigen::Index v = 0; v < m.V.rows(); ++v) {
                ASSERT_NEAR(c.PV1(v) * r, sign, 0.02) << "r " << r << " vertex " << v;
                ASSERT_NEAR(c.PV2(v) * r, sign, 0.02) << "r " << r << " vertex " << v;
                // Directions lie in the tangent plane.
                ASSERT_NEAR(c.PD1.row(v).dot(m.V.row(v).normalized()), 0.0, 1e-2);
            }
        }
    }
}

TEST(PrincipalCurvature, CylinderFirstDirectionFollowsTheAxisWithEitherOrientation) {
    const double radius = 0.5;
    const auto tube = test_meshes::cylinder(radius, 3.0, 121, 128);
    for (double sign : {1.0, -1.0}) {
        const auto m = sign > 0 ? tube : test_meshes::flipped(tube);
        const Curvature c = curvatureOf(m);
        expectOrthonormalFrames(c);
        int checked = 0;
        for (Eigen::Index v = 0; v < m.V.rows(); ++v) {
            if (m.V(v, 2) < 0.5 || m.V(v, 2) > 2.5) continue;  // away from the open ends
            ++checked;
            EXPECT_GT(std::abs(c.PD1(v, 2)), 0.999) << v;
            EXPECT_NEAR(c.PV1(v), 0.0, 0.01) << v;
            EXPECT_NEAR(c.PV2(v) * radius, sign, 0.02) << v;
            // Rows follow one fixed sense, so neighbours agree.
            EXPECT_GT(c.PD1(v, 2), 0.0) << v;
        }
        EXPECT_GT(checked, 1000);
    }
}

TEST(PrincipalCurvature, PlaneHasZeroCurvatureAndUnitDirections) {
    auto m = test_meshes::grid(20, 20, 2.0, 2.0);
    m.V.col(2).setConstant(3.0);
    const Curvature c = curvatureOf(m);
    expectOrthonormalFrames(c);
    EXPECT_LT(c.PV1.cwiseAbs().maxCoeff(), 1e-9);
    EXPECT_LT(c.PV2.cwiseAbs().maxCoeff(), 1e-9);
}

TEST(PrincipalCurvature, TorusOuterAndInnerEquators) {
    const double R = 2.0, r = 0.5;
    const auto m = test_meshes::torus(R, r, 360, 120);
    const Curvature c = curvatureOf(m);
    expectOrthonormalFrames(c);
    for (Eigen::Index v = 0; v < m.V.rows(); ++v) {
        if (std::abs(m.V(v, 2)) > 1e-9) continue;  // equator rings only
        const double rho = std::hypot(m.V(v, 0), m.V(v, 1));
        const Eigen::RowVector3d around(-m.V(v, 1) / rho, m.V(v, 0) / rho, 0.0);
        // Across the tube the curvature is 1/r; along the big circle it is
        // cos(w) / (R + r cos(w)): 1/2.5 outside, -1/1.5 inside (saddle).
        const double along = rho > R ? 1.0 / (R + r) : -1.0 / (R - r);
        EXPECT_NEAR(c.PV1(v), along, 0.03) << v;
        EXPECT_NEAR(c.PV2(v), 1.0 / r, 0.05) << v;
        EXPECT_GT(std::abs(c.PD1.row(v).dot(around)), 0.999) << v;
    }
    // The field along the big circles is orientable, so every edge's two rows
    // agree in sign, all the way round.
    for (Eigen::Index f = 0; f < m.F.rows(); ++f)
        for (int k = 0; k < 3; ++k) {
            ASSERT_GT(c.PD1.row(m.F(f, k)).dot(c.PD1.row(m.F(f, (k + 1) % 3))), 0.0) << f;
        }
}

TEST(PrincipalCurvature, TooFewNeighboursDegenerateAndUnusedVerticesGiveZeroRows) {
    MatrixXd V(5, 3);
    V << 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 7, 7, 7;  // a tetrahedron and a loose vertex
    Eigen::MatrixXi F(5, 3);
    F << 0, 2, 1, 0, 1, 3, 0, 3, 2, 1, 2, 3, 1, 1, 2;  // the last one has no area
    Curvature c;
    geometry::principal_curvature(V, F, c.PD1, c.PD2, c.PV1, c.PV2);
    EXPECT_EQ(c.PD1, MatrixXd::Zero(5, 3));
    EXPECT_EQ(c.PD2, MatrixXd::Zero(5, 3));
    EXPECT_EQ(c.PV1, VectorXd::Zero(5));
    EXPECT_EQ(c.PV2, VectorXd::Zero(5));

    // A vertex only degenerate faces use, inside an otherwise good mesh.
    const auto sphere = test_meshes::icosphere(1.0, 3);
    auto m = sphere;
    const int extra = static_cast<int>(m.V.rows());
    m.V.conservativeResize(extra + 1, 3);
    m.V.row(extra) = m.V.row(0);
    m.F.conservativeResize(m.F.rows() + 1, 3);
    m.F.row(m.F.rows() - 1) << 0, extra, 0;
    const Curvature s = curvatureOf(m);
    EXPECT_EQ(s.PV1(extra), 0.0);
    EXPECT_TRUE(s.PD1.allFinite());
    const Curvature plain = curvatureOf(sphere);
    EXPECT_NEAR(s.PV1(1), plain.PV1(1), 0.02);
    EXPECT_NEAR(s.PV1(100), plain.PV1(100), 1e-12);  // far from the extra vertex
}

TEST(PrincipalCurvature, EuclideanNeighbourhoodGivesTheSameSphere) {
    const auto m = test_meshes::icosphere(2.0, 4);
    Curvature c;
    geometry::principal_curvature(m.V, m.F, c.PD1, c.PD2, c.PV1, c.PV2, 3, false);
    for (Eigen::Index v = 0; v < m.V.rows(); ++v) EXPECT_NEAR(c.PV1(v), 0.5, 0.01);
}
