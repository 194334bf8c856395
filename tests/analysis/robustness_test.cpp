// The analysis survives the meshes users really load: inward faces, several
// pieces, loops, open ends, degenerate and sliver triangles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "analysis/endpoints.h"
#include "analysis/skeleton_contraction.h"
#include "analysis/u_field.h"
#include "child_process.h"
#include "test_meshes.h"
#include "vessel_tree.h"

namespace {

struct Result {
    std::vector<int> endpoints;
    int root = -1;
    Eigen::VectorXd U;  // empty when there is no root
};

// The driver's sequence.
Result analyse(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    Result r;
    Eigen::MatrixXd S = V;
    contractMesh(S, F, 5.0, 10);
    findEndpoints(S, F, r.endpoints);
    r.root = findRootPoint(r.endpoints, V, F);
    if (r.root >= 0) computeUField(V, F, r.root, r.U);
    return r;
}

struct SmallTree {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    Result result;
    SmallTree() {
        vessel_tree::TreeOptions options;
        options.tips = 4;
        options.targetVertices = 4000;
        options.seed = 3;
        vessel_tree::treeMesh(options, V, F);
        result = analyse(V, F);
    }
};

const SmallTree& smallTree() {
    static const SmallTree tree;
    return tree;
}

// U on the first rows of a larger mesh matches U of the tree alone.
void expectSameU(const Eigen::VectorXd& U, const Eigen::VectorXd& expected, double tolerance) {
    ASSERT_GE(U.size(), expected.size());
    ASSERT_TRUE(U.allFinite());
    EXPECT_LT((U.head(expected.size()) - expected).cwiseAbs().maxCoeff(),
              tolerance * expected.maxCoeff());
}

// The same ends, root and field as the tree alone.
void expectSameAnalysis(const Result& r, const Result& expected, double tolerance) {
    EXPECT_EQ(r.endpoints, expected.endpoints);
    EXPECT_EQ(r.root, expected.root);
    expectSameU(r.U, expected.U, tolerance);
}

}  // namespace

TEST(Robustness, InwardFacesGiveTheSameAnalysis) {
    const SmallTree& tree = smallTree();
    ASSERT_GE(tree.result.root, 0);
    Eigen::MatrixXi inward;
    vessel_tree::inwardCopy(tree.F, inward);
    expectSameAnalysis(analyse(tree.V, inward), tree.result, 1e-6);
}

// A second tree beside the first: both trees' ends are found. U is rescaled
// over both pieces together, so only its range is known.
TEST(Robustness, TwoTreesSideBySide) {
    const SmallTree& tree = smallTree();
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    vessel_tree::sideBySide(tree.V, tree.F, V, F);
    const Result r = analyse(V, F);
    EXPECT_EQ(r.endpoints.size(), 2 * tree.result.endpoints.size());
    ASSERT_GE(r.root, 0);
    ASSERT_EQ(r.U.size(), V.rows());
    ASSERT_TRUE(r.U.allFinite());
    EXPECT_EQ(r.U.minCoeff(), 0.0);
    EXPECT_LT(r.U(r.root), 0.05 * r.U.maxCoeff());
}

// A tetrahedron beside the tree is too small for a curvature fit: its
// tangents are zero, so its vertices' gathered field is not a number; and its
// Laplacian block is exactly singular. Neither may spoil the tree's field or
// end the program. (The mean edge length, and with it the step count, moves a
// little.)
TEST(Robustness, TinyExtraPieceLeavesTheTreesFieldAlone) {
    const SmallTree& tree = smallTree();
    const int n = static_cast<int>(tree.V.rows());
    Eigen::MatrixXd V(n + 4, 3);
    V << tree.V, Eigen::RowVector3d(40, 40, 40), Eigen::RowVector3d(41, 40, 40),
        Eigen::RowVector3d(40, 41, 40), Eigen::RowVector3d(40, 40, 41);
    Eigen::MatrixXi F(tree.F.rows() + 4, 3);
    F << tree.F, Eigen::RowVector3i(n, n + 2, n + 1), Eigen::RowVector3i(n, n + 1, n + 3),
        Eigen::RowVector3i(n, n + 3, n + 2), Eigen::RowVector3i(n + 1, n + 2, n + 3);
    Eigen::VectorXd U;
    computeUField(V, F, tree.result.root, U);
    expectSameU(U, tree.result.U, 1e-3);
    EXPECT_TRUE(U.tail(4).allFinite());
}

// A loop has no ends: contraction stops by itself, no endpoint, no root.
TEST(Robustness, TorusHasNoEnds) {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    vessel_tree::torusMesh(3.0, 1.0, 64, 24, V, F);
    const Result r = analyse(V, F);
    EXPECT_TRUE(r.endpoints.empty());
    EXPECT_EQ(r.root, -1);
}

// Open vessel ends: the boundary rings are where the ends are.
TEST(Robustness, OpenTubeEndsAtItsBoundaryRings) {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    vessel_tree::openTubeMesh(1.0, 8.0, 32, 40, V, F);
    const Result r = analyse(V, F);
    ASSERT_FALSE(r.endpoints.empty());
    for (int e : r.endpoints) {
        const double z = V(e, 2);
        EXPECT_TRUE(z < 0.5 || z > 7.5) << "endpoint " << e << " at z = " << z;
    }
    ASSERT_GE(r.root, 0);
    ASSERT_TRUE(r.U.allFinite());
    EXPECT_EQ(r.U.minCoeff(), 0.0);
    // U runs along the tube, away from the root's end.
    const double rootZ = V(r.root, 2);
    int highest;
    r.U.maxCoeff(&highest);
    EXPECT_GT(std::abs(V(highest, 2) - rootZ), 7.0);
}

// Faces of zero area added to a tree (corners repeated, or in a line along an
// existing edge) take no part: the analysis is the tree's own.
TEST(Robustness, ZeroAreaFacesTakeNoPart) {
    const SmallTree& tree = smallTree();
    const int extra = static_cast<int>(tree.F.rows() / 50);
    Eigen::MatrixXi F(tree.F.rows() + 2 * extra, 3);
    F.topRows(tree.F.rows()) = tree.F;
    for (int k = 0; k < extra; ++k) {
        const Eigen::RowVector3i f = tree.F.row(50 * k);
        F.row(tree.F.rows() + 2 * k) << f(0), f(0), f(1);
        F.row(tree.F.rows() + 2 * k + 1) << f(1), f(2), f(1);
    }
    expectSameAnalysis(analyse(tree.V, F), tree.result, 1e-3);
}

// A vertex that no face uses (files have them): it has no area, so no
// attraction weight of its own, no Laplacian row and no field to gather. The
// tree around it is analysed as without it.
TEST(Robustness, UnusedVertexChangesNothingElse) {
    const SmallTree& tree = smallTree();
    Eigen::MatrixXd V(tree.V.rows() + 1, 3);
    V << tree.V, Eigen::RowVector3d(0.3, 0.2, 0.1);
    const Result r = analyse(V, tree.F);
    for (int e : tree.result.endpoints)
        EXPECT_NE(std::find(r.endpoints.begin(), r.endpoints.end(), e), r.endpoints.end()) << e;
    EXPECT_EQ(r.root, tree.result.root);
    ASSERT_EQ(r.U.size(), V.rows());
    expectSameU(r.U, tree.result.U, 1e-6);
    EXPECT_TRUE(std::isfinite(r.U(tree.V.rows())));
}

// Corners moved onto the opposite edge (faces of zero or rounding-level
// area) and slivers: the run ends normally, whatever its stop messages say.
TEST(Robustness, CollapsedFacesAndSliversEndNormally) {
    const SmallTree& tree = smallTree();
    for (double offset : {0.0, 1e-9, 1e-4}) {
        Eigen::MatrixXd V = tree.V;
        for (int f = 0; f < tree.F.rows(); f += 97) {
            const Eigen::RowVector3d mid = 0.5 * (V.row(tree.F(f, 0)) + V.row(tree.F(f, 1)));
            V.row(tree.F(f, 2)) = mid + Eigen::RowVector3d(offset, offset, 0);
        }
        ChildResult c = runInChild([&] {
            const Result r = analyse(V, tree.F);
            std::printf("root %d\n", r.root);
        });
        EXPECT_TRUE(c.exited) << "offset " << offset;
        EXPECT_EQ(c.exitStatus, 0) << c.out.substr(c.out.size() > 400 ? c.out.size() - 400 : 0);
        EXPECT_NE(c.out.find("root "), std::string::npos);
    }
}
