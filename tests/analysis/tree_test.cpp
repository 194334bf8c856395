// The whole analysis as the driver runs it: on trees whose answers are known
// from their centre lines, and on the meshes users really load.
#include <gtest/gtest.h>

#include "analysis/endpoints.h"
#include "analysis/remove_duplicate_vertices.h"
#include "analysis/skeleton_contraction.h"
#include "analysis/u_field.h"
#include "child_process.h"
#include "geometry/read_triangle_mesh.h"
#include "vessel_tree.h"

namespace {

struct Tree {
    std::string name;
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    vessel_tree::CentreLines lines;
    std::vector<int> endpoints;
    int root = -1;
    Eigen::VectorXd U;  // empty when there is no root

    // The driver's sequence.
    const Tree& analyse() {
        Eigen::MatrixXd S = V;
        endpoints.clear();
        U.resize(0);
        contractMesh(S, F, 5.0, 10);
        findEndpoints(S, F, endpoints);
        root = findRootPoint(endpoints, V, F);
        if (root >= 0) computeUField(V, F, root, U);
        return *this;
    }
    bool near(int vertex, const Eigen::Vector3d& p, double distance) const {
        return (V.row(vertex).transpose() - p).norm() < distance;
    }
    bool nearATip(int vertex, size_t k) const {
        return near(vertex, lines.tips[k], 2.0 * lines.tipRadii[k]);
    }
};

Tree fromAsset(const std::string& file, const vessel_tree::CentreLines& lines) {
    Tree t{file, {}, {}, lines, {}, -1, {}};
    EXPECT_TRUE(
        geometry::read_triangle_mesh(MORVIK_SOURCE_DIR "/assets/example_meshes/" + file, t.V, t.F));
    removeDuplicateVertices(t.V, t.F);
    return t.analyse();
}

const Tree& smallTree() {
    static const Tree tree = [] {
        Tree t{"generated, 4 tips", {}, {}, {}, {}, -1, {}};
        vessel_tree::treeMesh({4, 4000, 3}, t.V, t.F, &t.lines);
        return t.analyse();
    }();
    return tree;
}

// Analysed once each. The committed meshes are the generator's.
const std::vector<Tree>& knownTrees() {
    static const std::vector<Tree> all = [] {
        Tree bifurcation;
        vessel_tree::bifurcationMesh(3000, bifurcation.V, bifurcation.F, &bifurcation.lines);
        return std::vector<Tree>{fromAsset("vesselTree4.off", vessel_tree::treeCentreLines({})),
                                 fromAsset("bifurcation.off", bifurcation.lines), smallTree()};
    }();
    return all;
}

// The small tree's analysis, on the first rows of U only if more were added.
void expectSmallTreesAnalysis(const Tree& t, double tolerance) {
    const Tree& tree = smallTree();
    const std::vector<int>& ends = tree.endpoints;
    ASSERT_GE(t.endpoints.size(), ends.size());
    EXPECT_LE(t.endpoints.size(), ends.size() + (t.V.rows() - tree.V.rows()));
    EXPECT_TRUE(std::equal(ends.begin(), ends.end(), t.endpoints.begin()));
    EXPECT_EQ(t.root, tree.root);
    ASSERT_GE(t.U.size(), tree.U.size());
    ASSERT_TRUE(t.U.allFinite());
    EXPECT_LT((t.U.head(tree.U.size()) - tree.U).cwiseAbs().maxCoeff(),
              tolerance * tree.U.maxCoeff());
}

// The segments from the trunk's free end to tip k.
std::vector<const vessel_tree::Segment*> pathToTip(const vessel_tree::CentreLines& lines,
                                                   size_t k) {
    int s = 0;
    for (size_t i = 0; i < lines.segments.size(); ++i)
        if ((lines.segments[i].b - lines.tips[k]).norm() <
            (lines.segments[s].b - lines.tips[k]).norm())
            s = static_cast<int>(i);
    std::vector<const vessel_tree::Segment*> path;
    for (; s >= 0; s = lines.segments[s].parent) path.insert(path.begin(), &lines.segments[s]);
    return path;
}

}  // namespace

// Every tip has an endpoint near it, every endpoint lies near an end, the root
// at the trunk's. U is 0 there, largest at a far tip, and grows (but for a
// little noise) along every root-to-tip centre line.
TEST(ExampleTrees, EndsRootAndU) {
    for (const Tree& t : knownTrees()) {
        SCOPED_TRACE(t.name);
        const std::vector<int>& ends = t.endpoints;
        ASSERT_FALSE(t.lines.tips.empty());
        for (size_t k = 0; k < t.lines.tips.size(); ++k)
            EXPECT_TRUE(std::any_of(ends.begin(), ends.end(), [&](int e) {
                return t.nearATip(e, k);
            })) << k;
        for (int e : ends) {
            bool nearAnEnd = t.near(e, t.lines.root, 2.0 * t.lines.rootRadius);
            for (size_t k = 0; k < t.lines.tips.size(); ++k)
                nearAnEnd = nearAnEnd || t.nearATip(e, k);
            EXPECT_TRUE(nearAnEnd) << "endpoint " << e << " lies far from every end";
        }
        ASSERT_GE(t.root, 0);
        EXPECT_TRUE(t.near(t.root, t.lines.root, 1.5 * t.lines.rootRadius));

        ASSERT_EQ(t.U.size(), t.V.rows());
        ASSERT_TRUE(t.U.allFinite());
        int lowest, highest;
        EXPECT_EQ(t.U.minCoeff(&lowest), 0.0);
        const double Dmax = t.U.maxCoeff(&highest);
        EXPECT_LT(t.U(t.root), 0.02 * Dmax);
        EXPECT_TRUE(t.near(lowest, t.lines.root, 2.0 * t.lines.rootRadius));
        std::vector<double> lengths;
        for (size_t k = 0; k < t.lines.tips.size(); ++k) {
            lengths.push_back(0.0);
            std::vector<double> means;  // of U around points of the path
            for (const auto* s : pathToTip(t.lines, k)) {
                lengths.back() += (s->b - s->a).norm();
                for (double f : {0.0, 0.5}) {
                    double sum = 0.0;
                    int count = 0;
                    for (int i = 0; i < t.V.rows(); ++i)
                        if (t.near(i, s->a + f * (s->b - s->a),
                                   1.5 * (s->ra + f * (s->rb - s->ra))))
                            sum += t.U(i), ++count;
                    if (count > 0) means.push_back(sum / count);
                }
            }
            ASSERT_GE(means.size(), 4u);
            for (size_t j = 1; j < means.size(); ++j)
                EXPECT_GT(means[j], means[j - 1] - 0.03 * Dmax) << "tip " << k << " sample " << j;
            EXPECT_GT(means.back() - means.front(), 0.4 * Dmax) << "tip " << k;
        }
        const double longest = *std::max_element(lengths.begin(), lengths.end());
        bool atFarTip = false;
        for (size_t k = 0; k < lengths.size(); ++k)
            atFarTip = atFarTip || (t.nearATip(highest, k) && lengths[k] > 0.8 * longest);
        EXPECT_TRUE(atFarTip) << "U is largest at vertex " << highest;
        EXPECT_TRUE(Dmax > 0.8 * longest && Dmax < 1.3 * longest) << Dmax << " vs " << longest;
    }
}

// Changes that keep the tree's analysis: inward faces; zero-area faces; a
// vertex no face uses (it may join the endpoints; the Poisson solve must pin
// it); a tetrahedron beside the tree (zero tangents, so NaN rows of W that
// must not spread through U; an exactly singular Laplacian block).
TEST(Robustness, TreeChangesThatChangeNothing) {
    const Tree& tree = smallTree();
    ASSERT_GE(tree.root, 0);
    const int n = static_cast<int>(tree.V.rows()), m = static_cast<int>(tree.F.rows());
    Tree t = tree;
    vessel_tree::inwardCopy(tree.F, t.F);
    expectSmallTreesAnalysis(t.analyse(), 1e-6);
    t.F.conservativeResize(m + 2 * (m / 50), 3);
    for (int k = 0; k < m / 50; ++k) {
        const Eigen::RowVector3i f = tree.F.row(50 * k);
        t.F.row(m + 2 * k) << f(0), f(0), f(1);
        t.F.row(m + 2 * k + 1) << f(1), f(2), f(1);
    }
    t.F.topRows(m) = tree.F;
    expectSmallTreesAnalysis(t.analyse(), 1e-3);
    t.F = tree.F;
    t.V.conservativeResize(n + 1, 3);
    t.V.row(n) << 0.3, 0.2, 0.1;
    expectSmallTreesAnalysis(t.analyse(), 1e-6);

    t.V.conservativeResize(n + 4, 3);
    t.V.bottomRows(4) << 40, 40, 40, 41, 40, 40, 40, 41, 40, 40, 40, 41;
    t.F.conservativeResize(m + 4, 3);
    t.F.bottomRows(4) << n, n + 2, n + 1, n, n + 1, n + 3, n, n + 3, n + 2, n + 1, n + 2, n + 3;
    computeUField(t.V, t.F, tree.root, t.U);
    t.endpoints = tree.endpoints;
    expectSmallTreesAnalysis(t, 1e-3);
}

// A second tree beside the first doubles the ends, and U spans both. A loop
// has no ends: no endpoint, no root. An open tube's ends are at its boundary
// rings, and U runs along it.
TEST(Robustness, PiecesLoopsAndOpenEnds) {
    Tree t;
    vessel_tree::sideBySide(smallTree().V, smallTree().F, t.V, t.F);
    t.analyse();
    EXPECT_EQ(t.endpoints.size(), 2 * smallTree().endpoints.size());
    ASSERT_GE(t.root, 0);
    ASSERT_EQ(t.U.size(), t.V.rows());
    EXPECT_TRUE(t.U.allFinite() && t.U.minCoeff() == 0.0 && t.U(t.root) < 0.05 * t.U.maxCoeff());

    Tree torus, tube;
    vessel_tree::torusMesh(3.0, 1.0, 64, 24, torus.V, torus.F);
    EXPECT_TRUE(torus.analyse().endpoints.empty());
    EXPECT_EQ(torus.root, -1);
    vessel_tree::openTubeMesh(1.0, 8.0, 32, 40, tube.V, tube.F);
    tube.analyse();
    ASSERT_FALSE(tube.endpoints.empty());
    for (int e : tube.endpoints)
        EXPECT_TRUE(tube.V(e, 2) < 0.5 || tube.V(e, 2) > 7.5) << tube.V(e, 2);
    ASSERT_GE(tube.root, 0);
    ASSERT_TRUE(tube.U.allFinite() && tube.U.minCoeff() == 0.0);
    int highest;
    tube.U.maxCoeff(&highest);
    EXPECT_GT(std::abs(tube.V(highest, 2) - tube.V(tube.root, 2)), 7.0);
}

// Corners moved onto the opposite edge (zero or rounding-level area) and
// slivers: the run ends normally, whatever its stop messages say.
TEST(Robustness, CollapsedFacesAndSliversEndNormally) {
    for (double offset : {0.0, 1e-9, 1e-4}) {
        Tree t = smallTree();
        for (int f = 0; f < t.F.rows(); f += 97)
            t.V.row(t.F(f, 2)) = 0.5 * (t.V.row(t.F(f, 0)) + t.V.row(t.F(f, 1))) +
                                 Eigen::RowVector3d(offset, offset, 0);
        const ChildResult c = runInChild([&] { std::printf("root %d\n", t.analyse().root); });
        EXPECT_EQ(c.exitStatus, 0) << "offset " << offset;
        EXPECT_NE(c.out.find("root "), std::string::npos);
    }
}
