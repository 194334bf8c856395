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
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    vessel_tree::CentreLines lines;
    std::vector<int> endpoints;
    int root = -1;
    Eigen::VectorXd U;  // empty when there is no root

    Tree& analyse() {  // the driver's sequence
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
    bool nearTip(int vertex, size_t k) const {
        return near(vertex, lines.tips[k], 2.0 * lines.tipRadii[k]);
    }
};

const Tree& smallTree() {
    static const Tree tree = [] {
        Tree t;
        vessel_tree::treeMesh({4, 4000, 3}, t.V, t.F, &t.lines);
        return t.analyse();
    }();
    return tree;
}

// The small tree's analysis, on the first rows of U only if more were added.
void expectSmallTreesAnalysis(const Tree& t, double tolerance) {
    const Tree& tree = smallTree();
    ASSERT_GE(t.endpoints.size(), tree.endpoints.size());
    EXPECT_LE(t.endpoints.size(), tree.endpoints.size() + (t.V.rows() - tree.V.rows()));
    EXPECT_TRUE(std::equal(tree.endpoints.begin(), tree.endpoints.end(), t.endpoints.begin()));
    EXPECT_EQ(t.root, tree.root);
    ASSERT_GE(t.U.size(), tree.U.size());
    ASSERT_TRUE(t.U.allFinite());
    EXPECT_LT((t.U.head(tree.U.size()) - tree.U).cwiseAbs().maxCoeff(),
              tolerance * tree.U.maxCoeff());
}

}  // namespace

// The committed meshes (the generator's) and the small tree. Every tip has an
// endpoint near it, every endpoint lies near an end, the root at the trunk's.
// U is 0 there, largest at a far tip, about the longest path, and grows (but
// for a little noise) along every root-to-tip centre line.
TEST(ExampleTrees, EndsRootAndU) {
    std::vector<Tree> trees(3);
    for (const char* name : {"vesselTree4", "bifurcation"}) {
        Tree& t = trees[name[0] == 'b'];
        EXPECT_TRUE(geometry::read_triangle_mesh(
            MORVIK_SOURCE_DIR "/assets/example_meshes/" + std::string(name) + ".off", t.V, t.F));
        removeDuplicateVertices(t.V, t.F);
    }
    trees[0].lines = vessel_tree::treeCentreLines({});
    Tree bifurcation;  // for its centre lines
    vessel_tree::bifurcationMesh(3000, bifurcation.V, bifurcation.F, &trees[1].lines);
    trees[0].analyse(), trees[1].analyse(), trees[2] = smallTree();
    for (const Tree& t : trees) {
        SCOPED_TRACE(t.V.rows());
        const auto& tips = t.lines.tips;
        ASSERT_FALSE(tips.empty());
        for (size_t k = 0; k < tips.size(); ++k)
            EXPECT_TRUE(std::any_of(t.endpoints.begin(), t.endpoints.end(), [&](int e) {
                return t.nearTip(e, k);
            })) << k;
        for (int e : t.endpoints) {
            bool nearAnEnd = t.near(e, t.lines.root, 2.0 * t.lines.rootRadius);
            for (size_t k = 0; k < tips.size(); ++k) nearAnEnd = nearAnEnd || t.nearTip(e, k);
            EXPECT_TRUE(nearAnEnd) << "endpoint " << e << " lies far from every end";
        }
        ASSERT_GE(t.root, 0);
        EXPECT_TRUE(t.near(t.root, t.lines.root, 1.5 * t.lines.rootRadius));
        ASSERT_TRUE(t.U.size() == t.V.rows() && t.U.allFinite());
        int lowest, highest;
        EXPECT_EQ(t.U.minCoeff(&lowest), 0.0);
        const double Dmax = t.U.maxCoeff(&highest);
        EXPECT_TRUE(t.U(t.root) < 0.02 * Dmax &&
                    t.near(lowest, t.lines.root, 2 * t.lines.rootRadius));
        // The mean of U around a point of a centre line.
        const auto meanU = [&](const Eigen::Vector3d& p, double r) {
            double sum = 0.0, count = 0.0;
            for (int i = 0; i < t.V.rows(); ++i)
                if (t.near(i, p, 1.5 * r)) sum += t.U(i), ++count;
            return sum / count;
        };
        // Along each segment and from its parent's middle on: no step down
        // beyond the noise (NaN where no vertex is near: nothing to compare).
        const auto& segs = t.lines.segments;                        // parents first
        std::vector<double> length(segs.size()), mid(segs.size());  // from the root to b; U
        for (size_t s = 0; s < segs.size(); ++s) {
            const vessel_tree::Segment& g = segs[s];
            length[s] = (g.parent < 0 ? 0.0 : length[g.parent]) + (g.b - g.a).norm();
            mid[s] = meanU(0.5 * (g.a + g.b), 0.5 * (g.ra + g.rb));
            const double start = meanU(g.a, g.ra), before = g.parent < 0 ? start : mid[g.parent];
            EXPECT_FALSE(before > start + 0.03 * Dmax || start > mid[s] + 0.03 * Dmax) << s;
        }
        std::vector<double> lengths;  // of the paths from the trunk's free end to each tip
        for (size_t k = 0; k < tips.size(); ++k) {
            size_t s = 0;  // the segment that ends at the tip
            for (size_t i = 0; i < segs.size(); ++i)
                if ((segs[i].b - tips[k]).norm() < (segs[s].b - tips[k]).norm()) s = i;
            lengths.push_back(length[s]);
            EXPECT_GT(mid[s] - meanU(segs[0].a, segs[0].ra), 0.4 * Dmax) << "tip " << k;
        }
        const double longest = *std::max_element(lengths.begin(), lengths.end());
        bool atFarTip = false;
        for (size_t k = 0; k < lengths.size(); ++k)
            atFarTip = atFarTip || (t.nearTip(highest, k) && lengths[k] > 0.8 * longest);
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
    t.F.resize(m + 2 * (m / 50), 3);
    t.F.topRows(m) = tree.F;
    for (int k = 0; k < m / 50; ++k) {
        const Eigen::RowVector3i f = tree.F.row(50 * k);
        t.F.row(m + 2 * k) << f(0), f(0), f(1);
        t.F.row(m + 2 * k + 1) << f(1), f(2), f(1);
    }
    expectSmallTreesAnalysis(t.analyse(), 1e-3);
    t.V.conservativeResize(n + 4, 3);
    t.V.bottomRows(4) << 0.3, 0.2, 0.1, 40, 40, 40, 41, 40, 40, 40, 41, 40;
    t.F = tree.F;
    expectSmallTreesAnalysis(t.analyse(), 1e-6);
    t.V.bottomRows(4) << 40, 40, 40, 41, 40, 40, 40, 41, 40, 40, 40, 41;
    t.F.conservativeResize(m + 4, 3);
    t.F.bottomRows(4) << n, n + 2, n + 1, n, n + 1, n + 3, n, n + 3, n + 2, n + 1, n + 2, n + 3;
    computeUField(t.V, t.F, tree.root, t.U);
    t.endpoints = tree.endpoints;
    expectSmallTreesAnalysis(t, 1e-3);
}

// A second tree beside the first doubles the ends, and U spans both. A loop
// has no ends: no endpoint, no root. An open tube's ends are at its boundary
// rings, and U runs along it. Collapsed corners (zero or rounding-level area)
// and slivers: the run ends normally, whatever its stop messages say.
TEST(Robustness, PiecesLoopsOpenEndsAndCollapsedFaces) {
    Tree t, torus, tube;
    vessel_tree::sideBySide(smallTree().V, smallTree().F, t.V, t.F);
    EXPECT_EQ(t.analyse().endpoints.size(), 2 * smallTree().endpoints.size());
    ASSERT_TRUE(t.root >= 0 && t.U.size() == t.V.rows());
    EXPECT_TRUE(t.U.allFinite() && t.U.minCoeff() == 0.0 && t.U(t.root) < 0.05 * t.U.maxCoeff());
    vessel_tree::torusMesh(3.0, 1.0, 64, 24, torus.V, torus.F);
    EXPECT_TRUE(torus.analyse().endpoints.empty() && torus.root == -1);
    vessel_tree::openTubeMesh(1.0, 8.0, 32, 40, tube.V, tube.F);
    ASSERT_FALSE(tube.analyse().endpoints.empty());
    for (int e : tube.endpoints) EXPECT_TRUE(std::abs(tube.V(e, 2) - 4.0) > 3.5) << tube.V(e, 2);
    ASSERT_TRUE(tube.root >= 0 && tube.U.allFinite() && tube.U.minCoeff() == 0.0);
    int highest;
    tube.U.maxCoeff(&highest);
    EXPECT_GT(std::abs(tube.V(highest, 2) - tube.V(tube.root, 2)), 7.0);

    for (double offset : {0.0, 1e-9, 1e-4}) {
        t = smallTree();
        for (int f = 0; f < t.F.rows(); f += 97)
            t.V.row(t.F(f, 2)) = 0.5 * (t.V.row(t.F(f, 0)) + t.V.row(t.F(f, 1))) +
                                 Eigen::RowVector3d(offset, offset, 0);
        const ChildResult c = runInChild([&] { std::printf("root %d\n", t.analyse().root); });
        EXPECT_EQ(c.exitStatus, 0) << "offset " << offset;
        EXPECT_NE(c.out.find("root "), std::string::npos);
    }
}
