// The geometry layer's operators against known answers: the Laplacian, the
// mass matrix, principal curvature and heat-method distances.
#include <gtest/gtest.h>

#include <Eigen/Geometry>
#include <Eigen/Sparse>

#include "fp_traps.h"
#include "geometry/avg_edge_length.h"
#include "geometry/cotmatrix.h"
#include "geometry/heat_geodesics.h"
#include "geometry/heat_time_step.h"
#include "geometry/massmatrix.h"
#include "geometry/principal_curvature.h"
#include "test_meshes.h"

using namespace Eigen;
using test_meshes::Mesh;

namespace {

MatrixXd laplacian(const MatrixXd& V, const MatrixXi& F) {
    SparseMatrix<double> L;
    geometry::cotmatrix(V, F, L);
    return MatrixXd(L);
}

struct Curvature {
    MatrixXd PD1, PD2;
    VectorXd PV1, PV2;
};

// Also checks that every row is an orthonormal frame with |PV1| <= |PV2|.
Curvature curvatureOf(const Mesh& m) {
    Curvature c;
    geometry::principal_curvature(m.V, m.F, c.PD1, c.PD2, c.PV1, c.PV2);
    EXPECT_LT((c.PD1.rowwise().norm().array() - 1).abs().maxCoeff() +
                  c.PD1.cwiseProduct(c.PD2).rowwise().sum().cwiseAbs().maxCoeff(),
              1e-6);
    EXPECT_TRUE((c.PV1.cwiseAbs().array() <= c.PV2.cwiseAbs().array() + 1e-12).all());
    return c;
}

VectorXd distances(const Mesh& m, const VectorXi& sources, double t = 0.0) {  // 0: h squared
    geometry::HeatGeodesicsData data;
    if (t == 0.0) t = std::pow(geometry::avg_edge_length(m.V, m.F), 2);
    EXPECT_TRUE(geometry::heat_geodesics_precompute(m.V, m.F, t, data));
    VectorXd D;
    geometry::heat_geodesics_solve(data, sources, D);
    return D;
}

}  // namespace

// A right isosceles triangle (cot 45 = 1, cot 90 = 0) next to a face without
// area, which adds nothing; vertex 4 is unused. Inside a jittered flat patch
// linear functions are harmonic, at any scale. Voronoi areas: obtuse at
// corner 2 (area 1: half there, a quarter elsewhere), equilateral (thirds),
// right-angled at corner 0 (half there).
TEST(Operators, CotangentLaplacianAndMassMatrix) {
    const MatrixXd V = (MatrixXd(5, 3) << 0, 0, 0, 1, 0, 0, 0, 1, 0, 2, 0, 0, 9, 9, 9).finished();
    MatrixXd expected = MatrixXd::Zero(5, 5);
    expected.topLeftCorner(3, 3) << -1, .5, .5, .5, -.5, 0, .5, 0, -.5;
    EXPECT_LT((laplacian(V, (MatrixXi(2, 3) << 0, 1, 2, 0, 1, 3).finished()) - expected).norm(),
              1e-15);
    Mesh m = test_meshes::grid(6, 5, 2.0, 1.5);
    std::vector<int> interior;
    for (int v = 0; v < m.V.rows(); ++v)
        if (m.V(v, 0) > 0 && m.V(v, 0) < 2 && m.V(v, 1) > 0 && m.V(v, 1) < 1.5) {
            interior.push_back(v);
            m.V.row(v) += RowVector3d(0.07 * std::sin(7.0 * v), 0.05 * std::cos(5.0 * v), 0);
        }
    const VectorXd linear = 3.0 * m.V.col(0) - 2.0 * m.V.col(1) + VectorXd::Constant(m.V.rows(), 4);
    for (double scale : {1e-6, 1.0, 1e6}) {
        const MatrixXd L = laplacian(m.V * scale, m.F);
        EXPECT_LT((L - laplacian(m.V, m.F)).lpNorm<Infinity>(), 1e-9) << scale;
        EXPECT_LT(VectorXd(L * linear)(interior).lpNorm<Infinity>(), 1e-9) << scale;
    }
    const double h = std::sqrt(3.0) / 2;
    const std::vector<std::pair<MatrixXd, VectorXd>> cases = {
        {(MatrixXd(4, 3) << 0, 0, 0, 4, 0, 0, 2, 0.5, 0, 1, 1, 1).finished(),
         (VectorXd(4) << 0.25, 0.25, 0.5, 0).finished()},
        {(MatrixXd(3, 3) << 0, 0, 0, 1, 0, 0, 0.5, h, 0).finished(), VectorXd::Constant(3, h / 6)},
        {(MatrixXd(3, 3) << 0, 0, 0, 2, 0, 0, 0, 2, 0).finished(), Vector3d(1, 0.5, 0.5)}};
    for (const auto& [P, areas] : cases) {
        SparseMatrix<double> M;
        geometry::massmatrix(P, RowVector3i(0, 1, 2), geometry::MASSMATRIX_TYPE_VORONOI, M);
        EXPECT_LT((VectorXd(M.diagonal()) - areas).norm(), 1e-15) << P;
    }
}

// Spheres: 1/r both ways, positive with outward faces, negative inward, at
// two scales; PD1 tangent. A tube with flat caps at a right angle to its
// wall, turned so that the normals' dot products miss 0 by rounding: beyond
// the fit's five rings from the rims the wall keeps its curvatures and PD1
// along the axis; next to a rim the cap's vertices, facing the wall's side
// by a rounding's worth, take part in the fit and bend it.
TEST(PrincipalCurvature, SpheresAndAFlatCappedTube) {
    for (double r : {1.0, 250.0}) {
        const auto sphere = test_meshes::icosphere(r, 5);
        for (double sign : {1.0, -1.0}) {
            const Curvature c =
                curvatureOf({sphere.V, sign > 0 ? sphere.F : sphere.F.rowwise().reverse()});
            EXPECT_LT((c.PV1 * r).cwiseMax(c.PV2 * r).maxCoeff() - sign, 0.02) << r;
            EXPECT_GT((c.PV1 * r).cwiseMin(c.PV2 * r).minCoeff() - sign, -0.02) << r;
            EXPECT_LT((c.PD1.cwiseProduct(sphere.V).rowwise().sum() / r).cwiseAbs().maxCoeff(),
                      1e-2);
        }
    }
    auto tube = test_meshes::cappedCylinder(1.0, 4.0, 41, 64);
    const Matrix3d turn = AngleAxisd(0.7, Vector3d(1, 2, 3).normalized()).matrix();
    const MatrixXd V = tube.V;
    tube.V = V * turn.transpose();
    const Curvature c = curvatureOf(tube);
    int bent = 0;
    for (Index v = 0; v < 64 * 41; ++v) {
        if (std::abs(V(v, 2) - 0.1) < 1e-9 && std::abs(c.PV1(v)) > 0.1) ++bent;
        if (V(v, 2) < 0.5 || V(v, 2) > 3.5) continue;  // the rims and their five rings
        ASSERT_GT(std::abs(c.PD1.row(v).dot(turn.col(2).transpose())), 0.999) << V.row(v);
        ASSERT_NEAR(c.PV1(v), 0.0, 0.02) << V.row(v);
        ASSERT_NEAR(c.PV2(v), 1.0, 0.06) << V.row(v);
    }
    EXPECT_GT(bent, 0);
}

// Great circles on the unit sphere, straight lines on a flat square (with
// boundary).
TEST(HeatGeodesics, SphereAndFlatPatchAgainstExactDistances) {
    const auto sphere = test_meshes::icosphere(1.0, 4), flat = test_meshes::grid(40, 40, 1.0, 1.0);
    for (const auto& [m, source] :
         {std::pair{&sphere, 0}, {&sphere, 2000}, {&flat, 20 * 41 + 20}, {&flat, 41 * 41 - 1}}) {
        const VectorXd D = distances(*m, VectorXi::Constant(1, source));
        EXPECT_NEAR(D(source), 0.0, 1e-12);
        const VectorXd cosine = m->V * m->V.row(source).transpose();
        const VectorXd exact = m == &sphere ? cosine.cwiseMax(-1).cwiseMin(1).array().acos().eval()
                                            : (m->V.rowwise() - m->V.row(source)).rowwise().norm();
        EXPECT_LT((D - exact).cwiseAbs().maxCoeff(), 0.05) << m->V.rows() << " source " << source;
    }
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
    const Index n = a.V.rows();
    Mesh m{MatrixXd(2 * n + 1, 3), MatrixXi(2 * a.F.rows() + 1, 3)};
    m.V << a.V, a.V.rowwise() + RowVector3d(10, 0, 0), -5, -5, -5;
    m.F << a.F, a.F.array() + static_cast<int>(n), 0, 1, 1;
    const VectorXd D = distances(m, VectorXi::Zero(1), 0.01);
    ASSERT_TRUE(D.allFinite());
    EXPECT_LT((D.head(n) - distances(a, VectorXi::Zero(1), 0.01)).cwiseAbs().maxCoeff(), 1e-9);
    geometry::HeatGeodesicsData data;
    ASSERT_TRUE(geometry::heat_geodesics_precompute(m.V, m.F, 0.01, data));
    const VectorXd b = VectorXd::Random(m.V.rows());
    VectorXd x;
    ASSERT_TRUE(geometry::heat_geodesics_poisson_solve(data, b, x));
    VectorXd residual = data.L * x - b;
    residual(0) = residual(n) = residual(2 * n) = 0.0;
    EXPECT_LT(residual.lpNorm<Infinity>(), 1e-10);
    EXPECT_TRUE(x(0) == 0.0 && x(n) == 0.0 && x(2 * n) == 0.0);
}

// A time step that is not positive fails the precompute; an empty mesh (the
// mass matrix once overflowed there) has nothing to fail; sources outside the
// mesh are left out.
TEST(HeatGeodesics, BadTimeStepsSourcesAndTheEmptyMesh) {
    const auto m = test_meshes::icosphere(1.0, 1);
    geometry::HeatGeodesicsData data;
    EXPECT_FALSE(geometry::heat_geodesics_precompute(m.V, m.F, 0.0, data));
    ASSERT_TRUE(geometry::heat_geodesics_precompute(MatrixXd(0, 3), MatrixXi(0, 3), 1.0, data));
    ASSERT_TRUE(geometry::heat_geodesics_precompute(m.V, m.F, 0.01, data));
    VectorXd D;
    geometry::heat_geodesics_solve(data, Vector2i(5, 1000), D);
    EXPECT_TRUE(D.size() == m.V.rows() && D(5) == 0.0);
}

// The squared mean edge length where the edges are even, exactly; where
// long edges make up a tenth or more of the mesh's edge length, a quarter
// of the square of the length below which nine tenths lie. Scaling the mesh
// by s scales t by s^2.
TEST(HeatTimeStep, SquaredMeanEdgeUnlessLongEdgesMakeUpTheMesh) {
    const Mesh even = test_meshes::icosphere(1.0, 3);
    const double h = geometry::avg_edge_length(even.V, even.F);
    EXPECT_EQ(geometry::heat_time_step(even.V, even.F), h * h);
    // Half the rings of a tube ten times as far apart (5 instead of 0.5): a
    // needle band that holds most of the edge length.
    Mesh needles = test_meshes::cylinder(1.0, 20.0, 41, 32);
    for (Index i = 0; i < needles.V.rows(); ++i)
        if (needles.V(i, 2) > 10.0) needles.V(i, 2) = 10.0 + 10.0 * (needles.V(i, 2) - 10.0);
    const double t = geometry::heat_time_step(needles.V, needles.F);
    EXPECT_NEAR(t, 0.25 * 5.0 * 5.0, 0.05);
    EXPECT_GT(t, std::pow(geometry::avg_edge_length(needles.V, needles.F), 2));
    for (double scale : {1e-3, 1e3}) {
        const MatrixXd scaled = scale * needles.V;
        EXPECT_NEAR(geometry::heat_time_step(scaled, needles.F) / (scale * scale), t, 1e-9 * t);
    }
}
