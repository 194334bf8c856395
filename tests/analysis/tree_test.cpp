// The whole analysis, as the mesh-loading driver runs it: on trees whose
// answers are known from their centre lines (the committed example meshes and
// a generated tree), and on the meshes users really load (inward faces,
// several pieces, loops, open ends, unused vertices, degenerate triangles).
#include <gtest/gtest.h>

#include "analysis/endpoints.h"
#include "analysis/remove_duplicate_vertices.h"
#include "analysis/skeleton_contraction.h"
#include "analysis/u_field.h"
#include "child_process.h"
#include "geometry/read_triangle_mesh.h"
#include "vessel_tree.h"

namespace {

struct Analysis {
    std::vector<int> endpoints;
    int root = -1;
    Eigen::VectorXd U;  // empty when there is no root
};

Analysis analyse(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    Analysis r;
    Eigen::MatrixXd S = V;
    contractMesh(S, F, 5.0, 10);
    findEndpoints(S, F, r.endpoints);
    r.root = findRootPoint(r.endpoints, V, F);
    if (r.root >= 0) computeUField(V, F, r.root, r.U);
    return r;
}

struct Tree {
    std::string name;
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    vessel_tree::CentreLines lines;
    Analysis result;

    bool near(int vertex, const Eigen::Vector3d& p, double distance) const {
        return (V.row(vertex).transpose() - p).norm() < distance;
    }
    bool nearATip(int vertex, size_t k) const {
        return near(vertex, lines.tips[k], 2.0 * lines.tipRadii[k]);
    }
};

Tree fromAsset(const std::string& file, const vessel_tree::CentreLines& lines) {
    Tree t{file, {}, {}, lines, {}};
    const std::string path = std::string(MORVIK_SOURCE_DIR) + "/assets/example_meshes/" + file;
    EXPECT_TRUE(geometry::read_triangle_mesh(path, t.V, t.F)) << path;
    removeDuplicateVertices(t.V, t.F);
    t.result = analyse(t.V, t.F);
    return t;
}

Tree generated(const vessel_tree::TreeOptions& options) {
    Tree t{"generated, " + std::to_string(options.tips) + " tips", {}, {}, {}, {}};
    vessel_tree::treeMesh(options, t.V, t.F, &t.lines);
    t.result = analyse(t.V, t.F);
    return t;
}

// Analysed once each. The committed meshes are the generator's.
const std::vector<Tree>& knownTrees() {
    static const std::vector<Tree> all = [] {
        Eigen::MatrixXd V;
        Eigen::MatrixXi F;
        vessel_tree::CentreLines bifurcation;
        vessel_tree::bifurcationMesh(3000, V, F, &bifurcation);
        return std::vector<Tree>{fromAsset("vesselTree4.off", vessel_tree::treeCentreLines({})),
                                 fromAsset("bifurcation.off", bifurcation),
                                 generated({6, 9000, 11})};
    }();
    return all;
}

const Tree& smallTree() {
    static const Tree tree = generated({4, 4000, 3});
    return tree;
}

// U on the first rows matches U of the small tree alone, and is finite.
void expectSmallTreesU(const Eigen::VectorXd& U) {
    const Eigen::VectorXd& expected = smallTree().result.U;
    ASSERT_GE(U.size(), expected.size());
    ASSERT_TRUE(U.allFinite());
    EXPECT_LT((U.head(expected.size()) - expected).cwiseAbs().maxCoeff(),
              1e-3 * expected.maxCoeff());
}

// The segments from the trunk's free end to tip k, and their length.
std::vector<const vessel_tree::Segment*> pathToTip(const vessel_tree::CentreLines& lines, size_t k,
                                                   double& length) {
    int s = 0;
    for (size_t i = 0; i < lines.segments.size(); ++i)
        if ((lines.segments[i].b - lines.tips[k]).norm() <
            (lines.segments[s].b - lines.tips[k]).norm())
            s = static_cast<int>(i);
    std::vector<const vessel_tree::Segment*> path;
    length = 0.0;
    for (; s >= 0; s = lines.segments[s].parent) {
        path.insert(path.begin(), &lines.segments[s]);
        length += (lines.segments[s].b - lines.segments[s].a).norm();
    }
    return path;
}

}  // namespace

// Every tip has an endpoint near it, every endpoint lies near a tip or the
// root, and the root lies at the trunk's end.
TEST(ExampleTrees, EndpointsAtTheTipsAndRootAtTheTrunksEnd) {
    for (const Tree& t : knownTrees()) {
        SCOPED_TRACE(t.name);
        const std::vector<int>& ends = t.result.endpoints;
        ASSERT_FALSE(t.lines.tips.empty());
        for (size_t k = 0; k < t.lines.tips.size(); ++k)
            EXPECT_TRUE(
                std::any_of(ends.begin(), ends.end(), [&](int e) { return t.nearATip(e, k); }))
                << "tip " << k;
        for (int e : ends) {
            bool nearAnEnd = t.near(e, t.lines.root, 2.0 * t.lines.rootRadius);
            for (size_t k = 0; k < t.lines.tips.size(); ++k)
                nearAnEnd = nearAnEnd || t.nearATip(e, k);
            EXPECT_TRUE(nearAnEnd) << "endpoint " << e << " lies far from every end";
        }
        ASSERT_GE(t.result.root, 0);
        EXPECT_TRUE(t.near(t.result.root, t.lines.root, 1.5 * t.lines.rootRadius));
    }
}

// U is 0 at the trunk's end and largest, about the path's length, at a tip
// whose path is among the longest. Sampled along each root-to-tip centre
// line, it never falls by more than a little noise and grows by most of its
// range.
TEST(ExampleTrees, UGrowsFromTheRootToAFarTip) {
    for (const Tree& t : knownTrees()) {
        SCOPED_TRACE(t.name);
        const Eigen::VectorXd& U = t.result.U;
        ASSERT_EQ(U.size(), t.V.rows());
        ASSERT_TRUE(U.allFinite());
        int lowest, highest;
        EXPECT_EQ(U.minCoeff(&lowest), 0.0);
        const double Dmax = U.maxCoeff(&highest);
        EXPECT_LT(U(t.result.root), 0.02 * Dmax);
        EXPECT_TRUE(t.near(lowest, t.lines.root, 2.0 * t.lines.rootRadius));

        std::vector<double> lengths(t.lines.tips.size());
        for (size_t k = 0; k < lengths.size(); ++k) pathToTip(t.lines, k, lengths[k]);
        const double longest = *std::max_element(lengths.begin(), lengths.end());
        bool atFarTip = false;
        for (size_t k = 0; k < lengths.size(); ++k)
            atFarTip = atFarTip || (t.nearATip(highest, k) && lengths[k] > 0.8 * longest);
        EXPECT_TRUE(atFarTip) << "U is largest at vertex " << highest;
        EXPECT_TRUE(Dmax > 0.8 * longest && Dmax < 1.3 * longest) << Dmax << " " << longest;

        for (size_t k = 0; k < lengths.size(); ++k) {
            std::vector<double> means;  // of U around points of the path
            for (const auto* s : pathToTip(t.lines, k, lengths[k]))
                for (double f : {0.0, 0.5}) {
                    double sum = 0.0;
                    int count = 0;
                    for (int i = 0; i < t.V.rows(); ++i)
                        if (t.near(i, s->a + f * (s->b - s->a),
                                   1.5 * (s->ra + f * (s->rb - s->ra))))
                            sum += U(i), ++count;
                    if (count > 0) means.push_back(sum / count);
                }
            ASSERT_GE(means.size(), 4u);
            for (size_t j = 1; j < means.size(); ++j)
                EXPECT_GT(means[j], means[j - 1] - 0.03 * Dmax) << "tip " << k << " sample " << j;
            EXPECT_GT(means.back() - means.front(), 0.4 * Dmax) << "tip " << k;
        }
    }
}

// Changes that leave the tree's analysis as it was: faces turned inwards;
// faces of zero area (a corner repeated, or three corners along one edge);
// a vertex no face uses (no area, attraction weight, Laplacian row or
// gathered tangent: a NaN row of W, which must not spread through U, and a
// vertex the Poisson solve must pin; it may join the endpoints).
TEST(Robustness, TreeChangesThatChangeNothing) {
    const Tree& tree = smallTree();
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
        const Analysis r = analyse(*V, *F);
        const std::vector<int>& ends = tree.result.endpoints;
        ASSERT_GE(r.endpoints.size(), ends.size());
        EXPECT_LE(r.endpoints.size(), ends.size() + (V->rows() - n));
        EXPECT_TRUE(std::equal(ends.begin(), ends.end(), r.endpoints.begin()));
        EXPECT_EQ(r.root, tree.result.root);
        expectSmallTreesU(r.U);
    }
}

// A tetrahedron beside the tree is too small for a curvature fit: zero
// tangents, so NaN rows of W, and a Laplacian block that is exactly singular
// (pinned). Neither may spoil the tree's field nor end the program. A second
// tree beside the first doubles the ends, and U spans both.
TEST(Robustness, ExtraPieces) {
    const Tree& tree = smallTree();
    const int n = static_cast<int>(tree.V.rows());
    Eigen::MatrixXd V(n + 4, 3);
    V << tree.V, 40, 40, 40, 41, 40, 40, 40, 41, 40, 40, 40, 41;
    Eigen::MatrixXi F(tree.F.rows() + 4, 3);
    F << tree.F, n, n + 2, n + 1, n, n + 1, n + 3, n, n + 3, n + 2, n + 1, n + 2, n + 3;
    Eigen::VectorXd U;
    computeUField(V, F, tree.result.root, U);
    expectSmallTreesU(U);

    vessel_tree::sideBySide(tree.V, tree.F, V, F);
    const Analysis r = analyse(V, F);
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
    const Analysis torus = analyse(V, F);
    EXPECT_TRUE(torus.endpoints.empty());
    EXPECT_EQ(torus.root, -1);

    vessel_tree::openTubeMesh(1.0, 8.0, 32, 40, V, F);
    const Analysis r = analyse(V, F);
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
    const Tree& tree = smallTree();
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
