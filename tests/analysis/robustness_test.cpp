// The analysis survives the meshes users really load: inward faces, several
// pieces, loops, open ends, unused vertices, degenerate and sliver triangles.
#include <gtest/gtest.h>

#include "child_process.h"
#include "tree_analysis.h"
#include "vessel_tree.h"

namespace {

struct SmallTree {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    TreeAnalysis result;
    SmallTree() {
        vessel_tree::treeMesh({4, 4000, 3}, V, F);
        result = analyse(V, F);
    }
};

const SmallTree& smallTree() {
    static const SmallTree tree;
    return tree;
}

// U on the first rows matches U of the tree alone, and is finite everywhere.
void expectTreesU(const Eigen::VectorXd& U, double tolerance) {
    const Eigen::VectorXd& expected = smallTree().result.U;
    ASSERT_GE(U.size(), expected.size());
    ASSERT_TRUE(U.allFinite());
    EXPECT_LT((U.head(expected.size()) - expected).cwiseAbs().maxCoeff(),
              tolerance * expected.maxCoeff());
}

}  // namespace

// Changes that leave the tree's analysis as it was: faces turned inwards;
// faces of zero area (a corner repeated, or three corners along one edge);
// a vertex no face uses (no area, attraction weight, Laplacian row or
// gathered tangent: a NaN row of W, which must not spread through U, and a
// vertex the Poisson solve must pin).
TEST(Robustness, TreeChangesThatChangeNothing) {
    const SmallTree& tree = smallTree();
    ASSERT_GE(tree.result.root, 0);
    const Eigen::Index n = tree.V.rows(), m = tree.F.rows();
    Eigen::MatrixXi inward, zeroArea(m + 2 * (m / 50), 3);
    vessel_tree::inwardCopy(tree.F, inward);
    zeroArea.topRows(m) = tree.F;
    for (Eigen::Index k = 0; k < m / 50; ++k) {
        const Eigen::RowVector3i f = tree.F.row(50 * k);
        zeroArea.row(m + 2 * k) << f(0), f(0), f(1);
        zeroArea.row(m + 2 * k + 1) << f(1), f(2), f(1);
    }
    Eigen::MatrixXd unused(n + 1, 3);
    unused << tree.V, 0.3, 0.2, 0.1;
    using Mesh = std::pair<const Eigen::MatrixXd*, const Eigen::MatrixXi*>;
    for (auto [V, F] : {Mesh{&tree.V, &inward}, Mesh{&tree.V, &zeroArea}, Mesh{&unused, &tree.F}}) {
        const TreeAnalysis r = analyse(*V, *F);
        const std::vector<int>& ends = tree.result.endpoints;  // the unused vertex may join them
        ASSERT_GE(r.endpoints.size(), ends.size());
        EXPECT_LE(r.endpoints.size(), ends.size() + (V->rows() - n));
        EXPECT_TRUE(std::equal(ends.begin(), ends.end(), r.endpoints.begin()));
        EXPECT_EQ(r.root, tree.result.root);
        expectTreesU(r.U, 1e-3);
    }
}

// A tetrahedron beside the tree is too small for a curvature fit: zero
// tangents, so NaN rows of W, and a Laplacian block that is exactly
// singular. Neither may spoil the tree's field nor end the program. A second
// tree beside the first doubles the ends, and U spans both.
TEST(Robustness, ExtraPieces) {
    const SmallTree& tree = smallTree();
    const int n = static_cast<int>(tree.V.rows());
    Eigen::MatrixXd V(n + 4, 3);
    V << tree.V, 40, 40, 40, 41, 40, 40, 40, 41, 40, 40, 40, 41;
    Eigen::MatrixXi F(tree.F.rows() + 4, 3);
    F << tree.F, n, n + 2, n + 1, n, n + 1, n + 3, n, n + 3, n + 2, n + 1, n + 2, n + 3;
    Eigen::VectorXd U;
    computeUField(V, F, tree.result.root, U);
    expectTreesU(U, 1e-3);

    vessel_tree::sideBySide(tree.V, tree.F, V, F);
    const TreeAnalysis r = analyse(V, F);
    EXPECT_EQ(r.endpoints.size(), 2 * tree.result.endpoints.size());
    ASSERT_GE(r.root, 0);
    ASSERT_EQ(r.U.size(), V.rows());
    ASSERT_TRUE(r.U.allFinite());
    EXPECT_EQ(r.U.minCoeff(), 0.0);
    EXPECT_LT(r.U(r.root), 0.05 * r.U.maxCoeff());
}

// A loop has no ends: no endpoint, no root. An open tube's ends are at its
// boundary rings, and U runs along it.
TEST(Robustness, LoopsAndOpenEnds) {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    vessel_tree::torusMesh(3.0, 1.0, 64, 24, V, F);
    EXPECT_EQ(analyse(V, F).root, -1);
    EXPECT_TRUE(analyse(V, F).endpoints.empty());

    vessel_tree::openTubeMesh(1.0, 8.0, 32, 40, V, F);
    const TreeAnalysis r = analyse(V, F);
    ASSERT_FALSE(r.endpoints.empty());
    for (int e : r.endpoints) EXPECT_TRUE(V(e, 2) < 0.5 || V(e, 2) > 7.5) << V(e, 2);
    ASSERT_GE(r.root, 0);
    ASSERT_TRUE(r.U.allFinite());
    int highest;
    r.U.maxCoeff(&highest);
    EXPECT_GT(std::abs(V(highest, 2) - V(r.root, 2)), 7.0);
}

// Corners moved onto the opposite edge (zero or rounding-level area) and
// slivers: the run ends normally, whatever its stop messages say.
TEST(Robustness, CollapsedFacesAndSliversEndNormally) {
    const SmallTree& tree = smallTree();
    for (double offset : {0.0, 1e-9, 1e-4}) {
        Eigen::MatrixXd V = tree.V;
        for (int f = 0; f < tree.F.rows(); f += 97)
            V.row(tree.F(f, 2)) = 0.5 * (V.row(tree.F(f, 0)) + V.row(tree.F(f, 1))) +
                                  Eigen::RowVector3d(offset, offset, 0);
        const ChildResult c =
            runInChild([&] { std::printf("root %d\n", analyse(V, tree.F).root); });
        EXPECT_EQ(c.exitStatus, 0) << "offset " << offset;
        EXPECT_NE(c.out.find("root "), std::string::npos);
    }
}
