// Properties of the simple operators with known answers: normals, areas, the
// Laplacian, the mass matrix, the gradient, the sparse helpers and the
// duplicate-vertex merge.

#include <gtest/gtest.h>

#include <Eigen/Sparse>
#include <cmath>
#include <limits>

#include "geometry/avg_edge_length.h"
#include "geometry/cat.h"
#include "geometry/cotmatrix.h"
#include "geometry/doublearea.h"
#include "geometry/grad.h"
#include "geometry/heat_geodesics.h"
#include "geometry/invert_diag.h"
#include "geometry/massmatrix.h"
#include "geometry/per_face_normals.h"
#include "geometry/per_vertex_normals.h"
#include "geometry/principal_curvature.h"
#include "geometry/remove_duplicate_vertices.h"
#include "test_meshes.h"

using Eigen::MatrixXd;
using Eigen::MatrixXi;
using Eigen::RowVector3d;
using Eigen::SparseMatrix;
using Eigen::VectorXd;
using Eigen::VectorXi;
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

const MatrixXi oneFace = (MatrixXi(1, 3) << 0, 1, 2).finished();

}  // namespace

TEST(Normals, CubeOutwardDegenerateFaceAndUnusedVertex) {
    Mesh m = test_meshes::cube();
    m.V.conservativeResize(9, 3);
    m.V.row(8) << 5, 5, 5;  // used by no face
    m.F.conservativeResize(13, 3);
    m.F.row(12) << 0, 0, 1;  // no area
    MatrixXd FN, N;
    geometry::per_face_normals(m.V, m.F, RowVector3d(0, 0, 7), FN);
    EXPECT_EQ(FN.row(12), RowVector3d(0, 0, 7));
    const RowVector3d centre(0.5, 0.5, 0.5);
    for (int f = 0; f < 12; ++f) {  // the outward axis: centroid - centre has 0.5 along it
        const RowVector3d mid = (m.V(m.F.row(f), Eigen::all).colwise().mean()) - centre;
        EXPECT_NEAR(FN.row(f).lpNorm<Eigen::Infinity>() + FN.row(f).dot(mid), 1.5, 1e-12) << f;
    }
    geometry::per_vertex_normals(m.V, m.F, FN, N);
    EXPECT_FALSE(std::isfinite(N(8, 0)));
    EXPECT_LT((N.topRows(8).rowwise().norm().array() - 1).abs().maxCoeff(), 1e-12);
    for (int v = 0; v < 8; ++v) EXPECT_GT(N.row(v).dot((m.V.row(v) - centre).normalized()), 0.9);
    // Corner 7 lies on the diagonal of all three of its faces' squares, so the
    // area-weighted normal is the cube's diagonal.
    EXPECT_LT((N.row(7) - (m.V.row(7) - centre).normalized()).norm(), 1e-12);
}

TEST(Areas, DoubleAreaAndEdgeLength) {
    const MatrixXd V = (MatrixXd(3, 3) << 0, 0, 0, 3, 0, 0, 0, 4, 0).finished();
    const MatrixXi F = (MatrixXi(2, 3) << 0, 1, 2, 2, 1, 0).finished();
    VectorXd dblA;
    geometry::doublearea(V, F, dblA);
    EXPECT_EQ(dblA, VectorXd::Constant(2, 12.0));  // never negative, whatever the orientation
    EXPECT_DOUBLE_EQ(geometry::avg_edge_length(V, F), 4.0);  // (3 + 4 + 5) / 3, twice
}

TEST(Cotmatrix, KnownEntriesRowSumsSymmetryAndSign) {
    // A right isosceles triangle (cot 45 = 1, cot 90 = 0) and a face without
    // area, which adds nothing; vertex 4 is unused.
    const MatrixXd V = (MatrixXd(5, 3) << 0, 0, 0, 1, 0, 0, 0, 1, 0, 2, 0, 0, 9, 9, 9).finished();
    const MatrixXi F = (MatrixXi(2, 3) << 0, 1, 2, 0, 1, 3).finished();
    MatrixXd expected = MatrixXd::Zero(5, 5);
    expected.topLeftCorner(3, 3) << -1, .5, .5, .5, -.5, 0, .5, 0, -.5;
    EXPECT_LT((laplacian(V, F) - expected).lpNorm<Eigen::Infinity>(), 1e-15);
    for (const Mesh& m : {test_meshes::icosphere(1.0, 2), test_meshes::torus(2.0, 0.5, 20, 10),
                          test_meshes::cylinder(1.0, 3.0, 6, 12)}) {
        const MatrixXd L = laplacian(m.V, m.F);
        EXPECT_LT((L * VectorXd::Ones(L.cols())).lpNorm<Eigen::Infinity>(), 1e-12);
        EXPECT_LT((L - L.transpose()).lpNorm<Eigen::Infinity>(), 1e-12);
        const VectorXd x = m.V.col(0).array().sin() + m.V.col(2).array();
        EXPECT_LE(x.dot(L * x), 1e-12);  // minus the Dirichlet energy
    }
}

TEST(Cotmatrix, LinearFunctionsAreHarmonicInsideAFlatPatchAtAnyScale) {
    Mesh m = test_meshes::grid(6, 5, 2.0, 1.5);
    std::vector<int> interior;  // jittered: an irregular patch
    for (int v = 0; v < m.V.rows(); ++v) {
        const RowVector3d p = m.V.row(v);
        if (p.x() > 0 && p.x() < 2 && p.y() > 0 && p.y() < 1.5) {
            interior.push_back(v);
            m.V.row(v) += RowVector3d(0.07 * std::sin(7.0 * v), 0.05 * std::cos(5.0 * v), 0);
        }
    }
    const MatrixXd L1 = laplacian(m.V, m.F);
    for (double scale : {1e-6, 1.0, 1e6}) {
        const MatrixXd L = laplacian(m.V * scale, m.F);
        EXPECT_LT((L - L1).lpNorm<Eigen::Infinity>(), 1e-9) << scale;
        const VectorXd Lx =
            L * (3.0 * m.V.col(0) - 2.0 * m.V.col(1) + VectorXd::Constant(m.V.rows(), 4.0));
        EXPECT_LT(Lx(interior).lpNorm<Eigen::Infinity>(), 1e-9) << scale;
    }
}

TEST(Massmatrix, SumsToTheAreaAndSplitsObtuseTriangles) {
    for (const Mesh& m :
         {test_meshes::cube(), test_meshes::icosphere(2.0, 2), test_meshes::grid(4, 3, 1.0, 7.0),
          test_meshes::torus(2.0, 0.5, 16, 6), test_meshes::capsule(0.5, 3.0, 8, 10)}) {
        VectorXd dblA;
        geometry::doublearea(m.V, m.F, dblA);
        const VectorXd M = massDiagonal(m.V, m.F);
        EXPECT_NEAR(M.sum(), dblA.sum() / 2, 1e-10 * dblA.sum());
        EXPECT_GT(M.minCoeff(), 0.0);
    }
    // Corners and the expected diagonal: obtuse at corner 2 (area 1, half
    // there, a quarter elsewhere, 0 for the unused vertex), equilateral
    // (thirds), right-angled at corner 0 (half there, as Voronoi areas give).
    const double h = std::sqrt(3.0) / 2;
    const std::vector<std::pair<MatrixXd, VectorXd>> cases = {
        {(MatrixXd(4, 3) << 0, 0, 0, 4, 0, 0, 2, 0.5, 0, 1, 1, 1).finished(),
         (VectorXd(4) << 0.25, 0.25, 0.5, 0).finished()},
        {(MatrixXd(3, 3) << 0, 0, 0, 1, 0, 0, 0.5, h, 0).finished(), VectorXd::Constant(3, h / 6)},
        {(MatrixXd(3, 3) << 0, 0, 0, 2, 0, 0, 0, 2, 0).finished(),
         (VectorXd(3) << 1, 0.5, 0.5).finished()}};
    for (const auto& [V, expected] : cases)
        EXPECT_LT((massDiagonal(V, oneFace) - expected).lpNorm<Eigen::Infinity>(), 1e-15) << V;
}

TEST(Grad, ExactOnLinearFunctionsAndZeroOnDegenerateFaces) {
    Mesh m = test_meshes::icosphere(1.5, 1);
    m.F.conservativeResize(m.F.rows() + 1, 3);
    m.F.row(m.F.rows() - 1) << 0, 0, 1;
    SparseMatrix<double> G;
    geometry::grad(m.V, m.F, G);
    const Eigen::Index nf = m.F.rows();
    ASSERT_EQ(G.rows(), 3 * nf);
    const Eigen::Vector3d a(0.3, -2.0, 1.25);
    const VectorXd g = G * (m.V * a + VectorXd::Constant(m.V.rows(), 5.0));
    MatrixXd FN;
    geometry::per_face_normals(m.V, m.F, RowVector3d::Zero(), FN);
    for (Eigen::Index f = 0; f + 1 < nf; ++f) {  // a projected onto the face's plane
        const Eigen::Vector3d n = FN.row(f).transpose();
        EXPECT_LT((Eigen::Vector3d(g(f), g(f + nf), g(f + 2 * nf)) - (a - n * n.dot(a))).norm(),
                  1e-12);
    }
    EXPECT_EQ(Eigen::Vector3d(g(nf - 1), g(2 * nf - 1), g(3 * nf - 1)), Eigen::Vector3d::Zero());
}

TEST(SparseHelpers, InvertDiagAndCat) {
    const MatrixXd a = (MatrixXd(2, 3) << 2, 0, 7, 0, 4, 0).finished();
    const SparseMatrix<double> A = a.sparseView(), B = MatrixXd(RowVector3d(0, -1, 0)).sparseView();
    SparseMatrix<double> Ainv, C;
    geometry::invert_diag(A, Ainv);
    EXPECT_EQ(MatrixXd(Ainv), (MatrixXd(2, 3) << 0.5, 0, 7, 0, 0.25, 0).finished());
    geometry::cat(1, A, B, C);
    EXPECT_EQ(MatrixXd(C), (MatrixXd(3, 3) << a, 0, -1, 0).finished());
    geometry::cat(2, A, A, C);
    EXPECT_EQ(MatrixXd(C), (MatrixXd(2, 6) << a, a).finished());
    geometry::cat(2, A, B, C);  // row counts differ
    EXPECT_EQ(C.size(), 0);
}

// The mass matrix once overflowed on an empty mesh.
TEST(EmptyMesh, EveryRoutineReturnsEmptyResults) {
    const MatrixXd V(0, 3);
    const MatrixXi F(0, 3);
    MatrixXd N, FN, PD1, PD2;
    VectorXd dblA, PV1, PV2, D;
    SparseMatrix<double> L, M, G;
    geometry::per_face_normals(V, F, RowVector3d::Zero(), FN);
    geometry::per_vertex_normals(V, F, FN, N);
    geometry::doublearea(V, F, dblA);
    geometry::cotmatrix(V, F, L);
    geometry::massmatrix(V, F, geometry::MASSMATRIX_TYPE_VORONOI, M);
    geometry::grad(V, F, G);
    geometry::principal_curvature(V, F, PD1, PD2, PV1, PV2);
    EXPECT_EQ(FN.rows() + N.rows() + dblA.size() + L.rows() + M.rows() + G.rows() + PD1.rows(), 0);
    geometry::HeatGeodesicsData data;
    ASSERT_TRUE(geometry::heat_geodesics_precompute(V, F, 1.0, data));
    geometry::heat_geodesics_solve(data, Eigen::VectorXi::Zero(1), D);
    EXPECT_EQ(D.size(), 0);
}

TEST(RemoveDuplicateVertices, TriangleSoupsMergeBackToTheirVertices) {
    const auto sphere = test_meshes::icosphere(1.0, 2);
    const auto soup = test_meshes::soup(sphere);
    MatrixXd SV;
    VectorXi SVI, SVJ;
    geometry::remove_duplicate_vertices(soup.V, 1e-7, SV, SVI, SVJ);
    EXPECT_EQ(SV.rows(), sphere.V.rows());
    EXPECT_EQ(MatrixXd(SV(SVJ, Eigen::all)), soup.V);
    // Two triangles storing their shared edge twice: rows in order of first
    // occurrence, each at its lowest member.
    // Two triangles storing their shared edge twice.
    const MatrixXd V =
        (MatrixXd(6, 3) << 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0).finished();
    geometry::remove_duplicate_vertices(V, 1e-7, SV, SVI, SVJ);
    EXPECT_EQ(SVI, (VectorXi(4) << 0, 1, 2, 4).finished());
    EXPECT_EQ(SVJ, (VectorXi(6) << 0, 1, 2, 1, 3, 2).finished());
}

TEST(RemoveDuplicateVertices, RoundingBoundaryExactModeAndNaN) {
    // Epsilon 0.05 rounds x / 0.5: 0.25 and 0.74 to 1, 0.2 and +-0.24 to zero of
    // either sign, -0.25 and -0.74 to -1 (halves away from zero), 0.76 to 2.
    MatrixXd V = MatrixXd::Zero(8, 3);
    V.col(0) << 0.25, 0.74, 0.2, -0.25, -0.74, 0.24, -0.24, 0.76;
    MatrixXd SV;
    VectorXi SVI, SVJ;
    geometry::remove_duplicate_vertices(V, 0.05, SV, SVI, SVJ);
    EXPECT_EQ(SVJ, (VectorXi(8) << 0, 0, 1, 2, 2, 1, 1, 3).finished());
    EXPECT_EQ(SV(0, 0), 0.25);
    // The loader's tolerance 1e-7: a difference below the grid merges, a larger gap does not.
    const MatrixXd W = (MatrixXd(3, 3) << 1, 2, 3, 1 + 2e-7, 2, 3, 1 + 2e-6, 2, 3).finished();
    geometry::remove_duplicate_vertices(W, 1e-7, SV, SVI, SVJ);
    EXPECT_EQ(SVJ, (VectorXi(3) << 0, 0, 1).finished());
    // Epsilon 0 merges only equal points (0 and -0 are equal); NaN stays alone.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const MatrixXd X =
        (MatrixXd(5, 3) << 0, 0, 0, 0, 0, 1e-300, -0.0, 0, 0, nan, 0, 0, nan, 0, 0).finished();
    geometry::remove_duplicate_vertices(X, 0.0, SV, SVI, SVJ);
    EXPECT_EQ(SVJ, (VectorXi(5) << 0, 1, 0, 2, 3).finished());
    geometry::remove_duplicate_vertices(MatrixXd(0, 3), 1e-7, SV, SVI, SVJ);
    EXPECT_EQ(SV.rows() + SVJ.size(), 0);
}
