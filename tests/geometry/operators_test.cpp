// Properties of the simple operators with known answers: normals, the
// Laplacian, the mass matrix, the gradient, the empty mesh and the merge.
#include <gtest/gtest.h>

#include <Eigen/Sparse>

#include "fp_traps.h"
#include "geometry/cotmatrix.h"
#include "geometry/doublearea.h"
#include "geometry/grad.h"
#include "geometry/heat_geodesics.h"
#include "geometry/massmatrix.h"
#include "geometry/per_face_normals.h"
#include "geometry/per_vertex_normals.h"
#include "geometry/principal_curvature.h"
#include "geometry/remove_duplicate_vertices.h"
#include "test_meshes.h"

using namespace Eigen;
using test_meshes::Mesh;

namespace {

VectorXd massDiagonal(const MatrixXd& V, const MatrixXi& F) {
    SparseMatrix<double> M;
    geometry::massmatrix(V, F, geometry::MASSMATRIX_TYPE_VORONOI, M);
    return M.diagonal();
}

MatrixXd laplacian(const MatrixXd& V, const MatrixXi& F) {
    SparseMatrix<double> L;
    geometry::cotmatrix(V, F, L);
    return MatrixXd(L);
}

VectorXi merged(const MatrixXd& V, double epsilon, MatrixXd& SV, VectorXi& SVI) {
    VectorXi SVJ;
    geometry::remove_duplicate_vertices(V, epsilon, SV, SVI, SVJ);
    return SVJ;
}

}  // namespace

// Face normals point out of the cube; a face without area gets the given
// one, a vertex no face uses none; corner 7's is the cube's diagonal.
TEST(Normals, CubeOutwardDegenerateFaceAndUnusedVertex) {
    Mesh m = test_meshes::cube();
    m.V.conservativeResize(9, 3);
    m.V.row(8) << 5, 5, 5;
    m.F.conservativeResize(13, 3);
    m.F.row(12) << 0, 0, 1;
    MatrixXd FN, N;
    geometry::per_face_normals(m.V, m.F, RowVector3d(0, 0, 7), FN);
    EXPECT_EQ(FN.row(12), RowVector3d(0, 0, 7));
    const RowVector3d centre(0.5, 0.5, 0.5);
    for (int f = 0; f < 12; ++f) {  // the outward axis: centroid - centre has 0.5 along it
        const RowVector3d n = FN.row(f), mid = m.V(m.F.row(f), all).colwise().mean() - centre;
        EXPECT_NEAR(n.lpNorm<Infinity>() + n.dot(mid), 1.5, 1e-12) << f;
    }
    const TrapsMasked masked;  // the unused vertex's normal is 0 / 0
    geometry::per_vertex_normals(m.V, m.F, FN, N);
    EXPECT_FALSE(std::isfinite(N(8, 0)));
    EXPECT_LT((N.row(7) - (m.V.row(7) - centre).normalized()).norm(), 1e-12);
}

// A right isosceles triangle (cot 45 = 1, cot 90 = 0) next to a face without
// area, which adds nothing; vertex 4 is unused. On a sphere rows sum to 0, L
// is symmetric and negative semidefinite; inside a jittered flat patch
// linear functions are harmonic, at any scale.
TEST(Cotmatrix, KnownEntriesSignsAndLinearFunctionsAtAnyScale) {
    const MatrixXd V = (MatrixXd(5, 3) << 0, 0, 0, 1, 0, 0, 0, 1, 0, 2, 0, 0, 9, 9, 9).finished();
    MatrixXd expected = MatrixXd::Zero(5, 5);
    expected.topLeftCorner(3, 3) << -1, .5, .5, .5, -.5, 0, .5, 0, -.5;
    EXPECT_LT((laplacian(V, (MatrixXi(2, 3) << 0, 1, 2, 0, 1, 3).finished()) - expected).norm(),
              1e-15);
    const Mesh sphere = test_meshes::icosphere(1.0, 2);
    MatrixXd L = laplacian(sphere.V, sphere.F);
    EXPECT_LT((L * VectorXd::Ones(L.cols())).lpNorm<Infinity>(), 1e-12);
    EXPECT_LT((L - L.transpose()).lpNorm<Infinity>(), 1e-12);
    const VectorXd x = sphere.V.col(0).array().sin() + sphere.V.col(2).array();
    EXPECT_LE(x.dot(L * x), 1e-12);
    Mesh m = test_meshes::grid(6, 5, 2.0, 1.5);
    std::vector<int> interior;
    for (int v = 0; v < m.V.rows(); ++v)
        if (m.V(v, 0) > 0 && m.V(v, 0) < 2 && m.V(v, 1) > 0 && m.V(v, 1) < 1.5) {
            interior.push_back(v);
            m.V.row(v) += RowVector3d(0.07 * std::sin(7.0 * v), 0.05 * std::cos(5.0 * v), 0);
        }
    const VectorXd linear = 3.0 * m.V.col(0) - 2.0 * m.V.col(1) + VectorXd::Constant(m.V.rows(), 4);
    for (double scale : {1e-6, 1.0, 1e6}) {
        L = laplacian(m.V * scale, m.F);
        EXPECT_LT((L - laplacian(m.V, m.F)).lpNorm<Infinity>(), 1e-9) << scale;
        EXPECT_LT(VectorXd(L * linear)(interior).lpNorm<Infinity>(), 1e-9) << scale;
    }
}

// The areas sum to the surface's. Obtuse at corner 2 (area 1: half there, a
// quarter elsewhere, 0 for the unused vertex), equilateral (thirds),
// right-angled at corner 0 (half there, as Voronoi areas give).
TEST(Massmatrix, SumsToTheAreaAndSplitsObtuseTriangles) {
    for (const Mesh& m : {test_meshes::cube(), test_meshes::cappedCylinder(0.5, 3.0, 8, 10)}) {
        VectorXd dblA;
        geometry::doublearea(m.V, m.F, dblA);
        const VectorXd M = massDiagonal(m.V, m.F);
        EXPECT_NEAR(M.sum(), dblA.sum() / 2, 1e-10 * dblA.sum());
        EXPECT_GT(M.minCoeff(), 0.0);
    }
    const double h = std::sqrt(3.0) / 2;
    const std::vector<std::pair<MatrixXd, VectorXd>> cases = {
        {(MatrixXd(4, 3) << 0, 0, 0, 4, 0, 0, 2, 0.5, 0, 1, 1, 1).finished(),
         (VectorXd(4) << 0.25, 0.25, 0.5, 0).finished()},
        {(MatrixXd(3, 3) << 0, 0, 0, 1, 0, 0, 0.5, h, 0).finished(), VectorXd::Constant(3, h / 6)},
        {(MatrixXd(3, 3) << 0, 0, 0, 2, 0, 0, 0, 2, 0).finished(), Vector3d(1, 0.5, 0.5)}};
    for (const auto& [V, expected] : cases)
        EXPECT_LT((massDiagonal(V, RowVector3i(0, 1, 2)) - expected).norm(), 1e-15) << V;
}

TEST(Grad, ExactOnLinearFunctionsAndZeroOnDegenerateFaces) {
    Mesh m = test_meshes::icosphere(1.5, 1);
    m.F.conservativeResize(m.F.rows() + 1, 3);
    m.F.row(m.F.rows() - 1) << 0, 0, 1;
    SparseMatrix<double> G;
    geometry::grad(m.V, m.F, G);
    const Index nf = m.F.rows();
    const Vector3d a(0.3, -2.0, 1.25);
    const MatrixXd g = (G * (m.V * a + VectorXd::Constant(m.V.rows(), 5.0))).reshaped(nf, 3);
    MatrixXd FN;
    geometry::per_face_normals(m.V, m.F, RowVector3d::Zero(), FN);
    for (Index f = 0; f + 1 < nf; ++f)  // a projected onto the face's plane
        EXPECT_LT((g.row(f).transpose() - (a - FN.row(f).dot(a) * FN.row(f).transpose())).norm(),
                  1e-12);
    EXPECT_EQ(g.row(nf - 1), RowVector3d::Zero());
}

// Every routine gives empty results (the mass matrix once overflowed here).
TEST(EmptyMesh, EveryRoutineReturnsEmptyResults) {
    const MatrixXd V(0, 3);
    const MatrixXi F(0, 3);
    MatrixXd N, FN, PD1, PD2, SV;
    VectorXd dblA, PV1, PV2, D;
    VectorXi SVI;
    SparseMatrix<double> L, G;
    geometry::per_face_normals(V, F, RowVector3d::Zero(), FN);
    geometry::per_vertex_normals(V, F, FN, N);
    geometry::doublearea(V, F, dblA);
    geometry::cotmatrix(V, F, L);
    geometry::grad(V, F, G);
    geometry::principal_curvature(V, F, PD1, PD2, PV1, PV2);
    const Index merge = merged(V, 1e-7, SV, SVI).size() + SV.rows();
    EXPECT_EQ(FN.rows() + N.rows() + dblA.size() + L.rows() + G.rows() + PD1.rows() + merge, 0);
    EXPECT_EQ(massDiagonal(V, F).size(), 0);
    geometry::HeatGeodesicsData data;
    ASSERT_TRUE(geometry::heat_geodesics_precompute(V, F, 1.0, data));
    geometry::heat_geodesics_solve(data, VectorXi::Zero(1), D);
    EXPECT_EQ(D.size(), 0);
}

// A triangle soup comes back as the sphere, rows in order of first
// occurrence, each at its lowest member. Epsilon 0.05 rounds x / 0.5, halves
// away from zero: 0.25 and 0.74 to 1, 0.2 and +-0.24 to 0, -0.25 and -0.74 to
// -1, 0.76 to 2. Epsilon 0 merges only equal points (0 and -0); NaN stays alone.
TEST(RemoveDuplicateVertices, SoupsRoundingExactModeAndNaN) {
    const auto sphere = test_meshes::icosphere(1.0, 2);
    const auto soup = test_meshes::soup(sphere);
    MatrixXd SV;
    VectorXi SVI;
    const VectorXi SVJ = merged(soup.V, 1e-7, SV, SVI);
    EXPECT_TRUE(SV.rows() == sphere.V.rows() && MatrixXd(SV(SVJ, all)) == soup.V);
    const MatrixXd V =
        (MatrixXd(6, 3) << 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0).finished();
    EXPECT_EQ(merged(V, 1e-7, SV, SVI), (VectorXi(6) << 0, 1, 2, 1, 3, 2).finished());
    EXPECT_EQ(SVI, Vector4i(0, 1, 2, 4));
    MatrixXd X = MatrixXd::Zero(8, 3);
    X.col(0) << 0.25, 0.74, 0.2, -0.25, -0.74, 0.24, -0.24, 0.76;
    EXPECT_EQ(merged(X, 0.05, SV, SVI), (VectorXi(8) << 0, 0, 1, 2, 2, 1, 1, 3).finished());
    EXPECT_EQ(SV(0, 0), 0.25);
    X = (MatrixXd(5, 3) << 0, 0, 0, 0, 0, 1e-300, -0.0, 0, 0, NAN, 0, 0, NAN, 0, 0).finished();
    const TrapsMasked masked;  // NaN, compared
    EXPECT_EQ(merged(X, 0.0, SV, SVI), (VectorXi(5) << 0, 1, 0, 2, 3).finished());
}
