// Properties of the simple operators: normals, areas, the Laplacian, the mass
// matrix, the gradient and the sparse helpers.

#include <gtest/gtest.h>

#include <Eigen/Sparse>
#include <cmath>

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
#include "test_meshes.h"

using Eigen::MatrixXd;
using Eigen::MatrixXi;
using Eigen::SparseMatrix;
using Eigen::VectorXd;

namespace {

double totalArea(const test_meshes::Mesh& m) {
    VectorXd dblA;
    geometry::doublearea(m.V, m.F, dblA);
    return dblA.sum() / 2.0;
}

VectorXd massDiagonal(const test_meshes::Mesh& m) {
    SparseMatrix<double> M;
    geometry::massmatrix(m.V, m.F, geometry::MASSMATRIX_TYPE_VORONOI, M);
    return VectorXd(M.diagonal());
}

}  // namespace

TEST(Normals, CubeFacesAndCornersPointOutward) {
    const auto m = test_meshes::cube();
    MatrixXd FN, N;
    geometry::per_face_normals(m.V, m.F, Eigen::RowVector3d::Zero(), FN);
    const Eigen::RowVector3d centre(0.5, 0.5, 0.5);
    for (int f = 0; f < m.F.rows(); ++f) {
        Eigen::RowVector3d mid = (m.V.row(m.F(f, 0)) + m.V.row(m.F(f, 1)) + m.V.row(m.F(f, 2))) / 3;
        Eigen::RowVector3d expected = mid - centre;
        // The face's axis is the one where its centroid lies on the cube's surface.
        Eigen::Index axis;
        expected.cwiseAbs().maxCoeff(&axis);
        Eigen::RowVector3d unit = Eigen::RowVector3d::Zero();
        unit(axis) = expected(axis) > 0 ? 1.0 : -1.0;
        EXPECT_LT((FN.row(f) - unit).norm(), 1e-12) << "face " << f;
    }
    geometry::per_vertex_normals(m.V, m.F, FN, N);
    for (int v = 0; v < 8; ++v) {
        const Eigen::RowVector3d out = m.V.row(v) - centre;
        EXPECT_NEAR(N.row(v).norm(), 1.0, 1e-12);
        EXPECT_GT(N.row(v).dot(out.normalized()), 0.9) << "corner " << v;
        // Corners 0 and 7 lie on every face's diagonal, so each face weighs
        // equally there and the normal is the diagonal itself.
        if (v == 0 || v == 7) {
            EXPECT_LT((N.row(v) - out.normalized()).norm(), 1e-12);
        }
    }
}

TEST(Normals, DegenerateFaceGetsZAndUnusedVertexIsNotFinite) {
    MatrixXd V(4, 3);
    V << 0, 0, 0, 1, 0, 0, 2, 0, 0, 5, 5, 5;
    MatrixXi F(1, 3);
    F << 0, 1, 2;  // collinear
    MatrixXd FN, N;
    const Eigen::RowVector3d Z(0.0, 0.0, 7.0);
    geometry::per_face_normals(V, F, Z, FN);
    EXPECT_EQ(FN.row(0), Z);
    geometry::per_vertex_normals(V, F, FN, N);
    EXPECT_FALSE(std::isfinite(N(3, 0)));
}

TEST(Areas, DoubleAreaAndEdgeLength) {
    MatrixXd V(4, 3);
    V << 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 0;
    MatrixXi F(2, 3);
    F << 0, 1, 2, 2, 1, 0;
    VectorXd dblA;
    geometry::doublearea(V, F, dblA);
    EXPECT_DOUBLE_EQ(dblA(0), 12.0);
    EXPECT_DOUBLE_EQ(dblA(1), 12.0);  // never negative, whatever the orientation
    EXPECT_DOUBLE_EQ(geometry::avg_edge_length(V, F), 4.0);  // (3 + 4 + 5) / 3, twice
    EXPECT_TRUE(std::isnan(geometry::avg_edge_length(V, MatrixXi(0, 3))));
    EXPECT_NEAR(totalArea(test_meshes::cube()), 6.0, 1e-12);
}

TEST(Cotmatrix, RowsSumToZeroAndMatrixIsSymmetricNegative) {
    for (const auto& m : {test_meshes::icosphere(1.0, 2), test_meshes::torus(2.0, 0.5, 20, 10),
                          test_meshes::cylinder(1.0, 3.0, 6, 12)}) {
        SparseMatrix<double> L;
        geometry::cotmatrix(m.V, m.F, L);
        ASSERT_EQ(L.rows(), m.V.rows());
        EXPECT_LT((L * VectorXd::Ones(L.cols())).cwiseAbs().maxCoeff(), 1e-12);
        EXPECT_LT((MatrixXd(L) - MatrixXd(L).transpose()).cwiseAbs().maxCoeff(), 1e-12);
        // -x^T L x is the Dirichlet energy, never negative.
        const VectorXd x = m.V.col(0).array().sin() + m.V.col(2).array();
        EXPECT_LE(x.dot(L * x), 1e-12);
    }
}

TEST(Cotmatrix, LinearFunctionsAreHarmonicInsideAFlatPatchAtAnyScale) {
    // Irregular flat patch: a grid with jittered interior vertices.
    auto m = test_meshes::grid(6, 5, 2.0, 1.5);
    for (int v = 0; v < m.V.rows(); ++v) {
        const double x = m.V(v, 0), y = m.V(v, 1);
        if (x > 0 && x < 2.0 && y > 0 && y < 1.5) {
            m.V(v, 0) += 0.07 * std::sin(7.0 * v);
            m.V(v, 1) += 0.05 * std::cos(5.0 * v);
        }
    }
    SparseMatrix<double> L0;
    geometry::cotmatrix(m.V, m.F, L0);
    for (double scale : {1e-6, 1.0, 1e6}) {
        SparseMatrix<double> L;
        const MatrixXd V = m.V * scale;
        geometry::cotmatrix(V, m.F, L);
        // Cotangents depend only on angles, so L does not change with scale.
        EXPECT_LT((MatrixXd(L) - MatrixXd(L0)).cwiseAbs().maxCoeff(), 1e-9) << scale;
        const VectorXd lin =
            3.0 * V.col(0) - 2.0 * V.col(1) + VectorXd::Constant(V.rows(), 4.0 * scale);
        const VectorXd Lx = L * lin;
        for (int v = 0; v < m.V.rows(); ++v) {
            const double x = m.V(v, 0), y = m.V(v, 1);
            if (x > 1e-9 && x < 2.0 - 1e-9 && y > 1e-9 && y < 1.5 - 1e-9) {
                EXPECT_NEAR(Lx(v) / scale, 0.0, 1e-9) << "vertex " << v << " scale " << scale;
            }
        }
    }
}

TEST(Cotmatrix, KnownEntriesAndDegenerateFaces) {
    // Right isosceles triangle: the angles opposite the legs are 45 degrees
    // (cot 1), the one opposite the hypotenuse 90 (cot 0).
    MatrixXd V(5, 3);
    V << 0, 0, 0, 1, 0, 0, 0, 1, 0, 2, 0, 0, 9, 9, 9;
    MatrixXi F(3, 3);
    F << 0, 1, 2, 0, 1, 3, 1, 1, 2;  // the last two have zero area
    SparseMatrix<double> L;
    geometry::cotmatrix(V, F, L);
    EXPECT_DOUBLE_EQ(L.coeff(0, 1), 0.5);
    EXPECT_DOUBLE_EQ(L.coeff(0, 2), 0.5);
    EXPECT_NEAR(L.coeff(1, 2), 0.0, 1e-15);
    EXPECT_DOUBLE_EQ(L.coeff(0, 0), -1.0);
    EXPECT_TRUE(MatrixXd(L).allFinite());
    EXPECT_EQ(L.coeff(3, 3), 0.0);  // used only by a zero-area face
    EXPECT_EQ(L.coeff(4, 4), 0.0);  // unused
}

TEST(Massmatrix, SumsToTotalAreaOnEveryTestMesh) {
    for (const auto& m :
         {test_meshes::cube(), test_meshes::icosphere(2.0, 2), test_meshes::torus(2.0, 0.5, 16, 6),
          test_meshes::grid(4, 3, 1.0, 7.0), test_meshes::capsule(0.5, 3.0, 8, 10)}) {
        const VectorXd M = massDiagonal(m);
        EXPECT_NEAR(M.sum(), totalArea(m), 1e-10 * totalArea(m));
        EXPECT_GT(M.minCoeff(), 0.0);
    }
}

TEST(Massmatrix, ObtuseAndAcuteTriangles) {
    // Obtuse at corner 2: half the area there, a quarter at each other corner.
    MatrixXd V(4, 3);
    V << 0, 0, 0, 4, 0, 0, 2, 0.5, 0, 1, 1, 1;
    MatrixXi F(1, 3);
    F << 0, 1, 2;
    const VectorXd M = massDiagonal({V, F});
    EXPECT_DOUBLE_EQ(M(2), 0.5);  // area 1
    EXPECT_DOUBLE_EQ(M(0), 0.25);
    EXPECT_DOUBLE_EQ(M(1), 0.25);
    EXPECT_EQ(M(3), 0.0);  // unused vertex, still on the diagonal
    // Equilateral: a third of the area each (the Voronoi regions are equal).
    MatrixXd W(3, 3);
    W << 0, 0, 0, 1, 0, 0, 0.5, std::sqrt(3.0) / 2, 0;
    const VectorXd Me = massDiagonal({W, F});
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(Me(c), std::sqrt(3.0) / 12.0, 1e-15);
    // Right triangle (not obtuse): the Voronoi split puts half at the right
    // angle, a quarter on each other corner.
    MatrixXd R(3, 3);
    R << 0, 0, 0, 2, 0, 0, 0, 2, 0;
    const VectorXd Mr = massDiagonal({R, F});
    EXPECT_NEAR(Mr(0), 1.0, 1e-15);
    EXPECT_NEAR(Mr(1), 0.5, 1e-15);
}

TEST(Grad, ExactOnLinearFunctionsAndZeroOnDegenerateFaces) {
    auto m = test_meshes::icosphere(1.5, 1);
    MatrixXi F = m.F;
    F.conservativeResize(F.rows() + 1, 3);
    F.row(F.rows() - 1) << 0, 0, 1;  // degenerate
    SparseMatrix<double> G;
    geometry::grad(m.V, F, G);
    const Eigen::Index nf = F.rows();
    ASSERT_EQ(G.rows(), 3 * nf);
    const Eigen::Vector3d a(0.3, -2.0, 1.25);
    const VectorXd phi = m.V * a + VectorXd::Constant(m.V.rows(), 5.0);
    const VectorXd g = G * phi;
    MatrixXd FN;
    geometry::per_face_normals(m.V, F, Eigen::RowVector3d::Zero(), FN);
    for (Eigen::Index f = 0; f + 1 < nf; ++f) {
        // The gradient on a face is the projection of a onto its plane.
        const Eigen::Vector3d n = FN.row(f).transpose();
        const Eigen::Vector3d expected = a - n * n.dot(a);
        const Eigen::Vector3d got(g(f), g(f + nf), g(f + 2 * nf));
        EXPECT_LT((got - expected).norm(), 1e-12) << "face " << f;
    }
    EXPECT_EQ(g(nf - 1), 0.0);
    EXPECT_EQ(g(3 * nf - 1), 0.0);
}

TEST(SparseHelpers, InvertDiagAndCat) {
    SparseMatrix<double> A(2, 3), B(1, 3), C;
    A.insert(0, 0) = 2.0;
    A.insert(1, 1) = 4.0;
    A.insert(0, 2) = 7.0;
    B.insert(0, 1) = -1.0;
    SparseMatrix<double> Ainv;
    geometry::invert_diag(A, Ainv);
    EXPECT_EQ(Ainv.coeff(0, 0), 0.5);
    EXPECT_EQ(Ainv.coeff(1, 1), 0.25);
    EXPECT_EQ(Ainv.coeff(0, 2), 7.0);  // off-diagonal entries are copied
    geometry::cat(1, A, B, C);
    MatrixXd expected(3, 3);
    expected << 2, 0, 7, 0, 4, 0, 0, -1, 0;
    EXPECT_EQ(MatrixXd(C), expected);
    geometry::cat(2, A, A, C);
    ASSERT_EQ(C.cols(), 6);
    EXPECT_EQ(C.coeff(0, 5), 7.0);
    geometry::cat(2, A, B, C);  // row counts differ
    EXPECT_EQ(C.size(), 0);
}

TEST(EmptyMesh, EveryRoutineReturnsEmptyResults) {
    const MatrixXd V(0, 3);
    const MatrixXi F(0, 3);
    MatrixXd N, FN, PD1, PD2;
    VectorXd dblA, PV1, PV2;
    SparseMatrix<double> L, M, G;
    geometry::per_face_normals(V, F, Eigen::RowVector3d::Zero(), FN);
    geometry::per_vertex_normals(V, F, FN, N);
    geometry::doublearea(V, F, dblA);
    geometry::cotmatrix(V, F, L);
    geometry::massmatrix(V, F, geometry::MASSMATRIX_TYPE_VORONOI, M);
    geometry::grad(V, F, G);
    geometry::principal_curvature(V, F, PD1, PD2, PV1, PV2);
    EXPECT_EQ(FN.rows() + N.rows() + dblA.size() + L.rows() + M.rows() + G.rows() + PD1.rows(), 0);
    geometry::HeatGeodesicsData data;
    ASSERT_TRUE(geometry::heat_geodesics_precompute(V, F, 1.0, data));
    VectorXd D;
    geometry::heat_geodesics_solve(data, Eigen::VectorXi::Zero(1), D);
    EXPECT_EQ(D.size(), 0);
}
