// The whole analysis as the driver runs it, on trees whose answers are known
// from their centre lines: the example meshes, trees with the traits of real
// vessel models, at several scales and resolutions, and broken variants.
#include <gtest/gtest.h>

#include <limits>
#include <numeric>

#include "analysis/endpoints.h"
#include "analysis/remove_duplicate_vertices.h"
#include "analysis/skeleton_contraction.h"
#include "analysis/u_field.h"
#include "child_process.h"
#include "fp_traps.h"
#include "geometry/read_triangle_mesh.h"
#include "realdata.h"
#include "vessel_tree.h"

namespace {

using vessel_tree::Ends;
using vessel_tree::Shape;

struct Tree {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    vessel_tree::CentreLines lines;
    bool roundEnds = true;  // else cut: the root and tips are on the surface
    std::vector<int> endpoints;
    int root = -1;
    Eigen::VectorXd U;  // empty when there is no root

    Tree& analyse(bool withU = true) {  // the driver's sequence
        Eigen::MatrixXd S = V;
        endpoints.clear();
        U.resize(0);
        contractMesh(S, F, 5.0, 10);
        findEndpoints(S, V, F, endpoints);
        root = findRootPoint(endpoints, V, F);
        if (root >= 0 && withU) computeUField(V, F, root, U);
        return *this;
    }
    bool near(int vertex, const Eigen::Vector3d& p, double distance) const {
        return (V.row(vertex).transpose() - p).norm() < distance;
    }
    // The end within two of its radii of a vertex: tip k, -1 for the root,
    // -2 for none.
    int endAt(int vertex) const {
        for (size_t k = 0; k < lines.tips.size(); ++k)
            if (near(vertex, lines.tips[k], 2.0 * lines.tipRadii[k])) return static_cast<int>(k);
        return near(vertex, lines.root, 2.0 * lines.rootRadius) ? -1 : -2;
    }
    std::vector<int> ends() const {  // endAt of every endpoint, sorted
        std::vector<int> at;
        for (int e : endpoints) at.push_back(endAt(e));
        std::sort(at.begin(), at.end());
        return at;
    }
};

Tree generated(vessel_tree::TreeOptions options) {
    const TrapsMasked masked;  // the generator's own NaN heights at the cuts
    Tree t;
    vessel_tree::treeMesh(options, t.V, t.F, &t.lines);
    return t;
}

const Tree& smallTree() {
    static const Tree tree = generated({4, 4000, 3}).analyse();
    return tree;
}

// Every tip has an endpoint and every endpoint is at an end, the root at the
// inlet. U is 0 there and grows (but for a little noise) along every centre
// line, to the longest path's length at a far tip.
void expectTreeAnalysis(const Tree& t) {
    SCOPED_TRACE(t.V.rows());
    std::vector<int> found(t.lines.tips.size() + 2, 0);
    for (int at : t.ends()) ++found[at + 2];
    EXPECT_EQ(found[0], 0) << "endpoints far from every end";
    EXPECT_EQ(std::count(found.begin() + 2, found.end(), 0), 0) << "tips without an endpoint";
    ASSERT_TRUE(t.root >= 0 && t.endAt(t.root) == -1) << "root " << t.root;
    ASSERT_TRUE(t.U.size() == t.V.rows() && t.U.allFinite());
    int lowest, highest;
    EXPECT_EQ(t.U.minCoeff(&lowest), 0.0);
    const double Dmax = t.U.maxCoeff(&highest), longest = t.lines.longestPath();
    EXPECT_TRUE(t.U(t.root) < 0.03 * Dmax && t.endAt(lowest) == -1) << t.U(t.root);
    // A round end's surface lies a radius beyond its centre line's end.
    const auto& paths = t.lines.tipPathLengths;
    const size_t farthest = std::max_element(paths.begin(), paths.end()) - paths.begin();
    const double geodesic =
        longest + (t.roundEnds ? t.lines.rootRadius + t.lines.tipRadii[farthest] : 0.0);
    EXPECT_NEAR(Dmax / geodesic, 1.0, 0.05);
    const int far = t.endAt(highest);
    EXPECT_TRUE(far >= 0 && t.lines.tipPathLengths[far] > 0.8 * longest) << far;
    const auto meanU = [&](const Eigen::Vector3d& p, double r) {  // NaN: no vertex near
        double sum = 0.0, count = 0.0;
        for (int i = 0; i < t.V.rows(); ++i)
            if (t.near(i, p, 1.5 * r)) sum += t.U(i), ++count;
        return count > 0.0 ? sum / count : std::numeric_limits<double>::quiet_NaN();
    };
    const auto& segs = t.lines.segments;  // parents first
    std::vector<double> mid(segs.size());
    for (size_t s = 0; s < segs.size(); ++s) {
        const vessel_tree::Segment& g = segs[s];
        mid[s] = meanU(0.5 * (g.a + g.b), 0.5 * (g.ra + g.rb));
        const double start = meanU(g.a, g.ra), before = g.parent < 0 ? start : mid[g.parent];
        if (std::isnan(before) || std::isnan(start) || std::isnan(mid[s])) continue;
        EXPECT_FALSE(before > start + 0.03 * Dmax || start > mid[s] + 0.03 * Dmax) << s;
    }
}

}  // namespace

TEST(ExampleTrees, EndsRootAndU) {
    std::vector<Tree> trees(2);
    for (const char* name : {"vesselTree4", "bifurcation"}) {
        Tree& t = trees[name[0] == 'b'];
        EXPECT_TRUE(geometry::read_triangle_mesh(
            MORVIK_SOURCE_DIR "/assets/example_meshes/" + std::string(name) + ".off", t.V, t.F));
        removeDuplicateVertices(t.V, t.F);
    }
    trees[0].lines = vessel_tree::treeCentreLines({});
    Tree bifurcation;  // for its centre lines
    vessel_tree::bifurcationMesh(3000, bifurcation.V, bifurcation.F, &trees[1].lines);
    for (Tree& t : trees) expectTreeAnalysis(t.analyse());
    expectTreeAnalysis(smallTree());
}

// Flat caps, open ends, slivers and obtuse triangles by the rims, a long thin
// tree, a trunk ten times its thinnest branches, millimetre coordinates,
// inward faces. The first at a thousandth and a thousand times its size has
// endpoints at the same ends (the very vertices but for rounding), and U as
// many times as large (but for PD1 on flat caps, which rounding decides).
TEST(RealDataKinds, RootAtTheInletAndUToTheFarthestTip) {
    // clang-format off
    const struct {
        Shape shape;
        Ends ends;
        bool slivers, inward;
        double scale;
    } kinds[] = {
        {Shape::Bushy, Ends::Flat, false, false, 1},      {Shape::Bushy, Ends::Open, false, false, 1000},
        {Shape::Bushy, Ends::Flat, true, false, 1},       {Shape::Bushy, Ends::Open, true, true, 1},
        {Shape::Long, Ends::Round, false, false, 1},      {Shape::Long, Ends::Flat, false, true, 1},
        {Shape::Long, Ends::Open, false, false, 0.001},   {Shape::WideTrunk, Ends::Round, false, false, 1},
        {Shape::WideTrunk, Ends::Flat, true, false, 1},   {Shape::WideTrunk, Ends::Open, false, false, 1}};
    // clang-format on
    for (const auto& k : kinds) {
        SCOPED_TRACE(int(k.shape) * 10 + int(k.ends));
        vessel_tree::TreeOptions options{12, 15000, 4, k.shape, k.ends, k.slivers, k.scale};
        Tree t = generated(options);
        t.roundEnds = k.ends == Ends::Round;
        if (k.inward) vessel_tree::inwardCopy(Eigen::MatrixXi(t.F), t.F);
        expectTreeAnalysis(t.analyse());
        for (double scale : {0.001, 1000.0}) {
            if (&k != kinds) break;
            Tree s = t;
            s.V *= scale;
            s.analyse();
            s.V = t.V;  // where the ends are
            EXPECT_TRUE(s.ends() == t.ends() && s.endAt(s.root) == -1) << scale;
            EXPECT_NEAR(s.U.maxCoeff() / scale, t.U.maxCoeff(), 1e-6 * t.U.maxCoeff()) << scale;
            EXPECT_LT((s.U / scale - t.U).cwiseAbs().maxCoeff(), 0.02 * t.U.maxCoeff()) << scale;
        }
    }
}

// A trunk ten times its thinnest branches on a fine mesh, capped and open:
// the thin branches collapse long before the trunk, whose cut end contracts
// into a blob, not a curve; the contraction must stop before the solve runs
// away. An endpoint at the trunk's end and at every tip, none on a side.
TEST(RealDataKinds, WideTrunkCappedAndOpenOnAFineMesh) {
    for (Ends ends : {Ends::Flat, Ends::Open}) {
        const Tree t = generated({6, 70000, 4, Shape::WideTrunk, ends}).analyse(false);
        std::vector<int> expected(t.lines.tips.size() + 1);
        std::iota(expected.begin(), expected.end(), -1);
        EXPECT_EQ(t.ends(), expected) << int(ends);
        EXPECT_EQ(t.endAt(t.root), -1) << int(ends);
    }
}

// A flow extension of needle triangles ten times the other edges, open (the
// heat spreads worst there): the heat distance from the root still grows to
// the farthest tip, past the straight line, and U with it.
TEST(RealDataKinds, FlowExtensionOfNeedleTriangles) {
    Tree t = generated({12, 15000, 4, Shape::Bushy, Ends::Open, false, 1.0, 20.0});
    t.roundEnds = false;
    expectTreeAnalysis(t.analyse());
    const Eigen::VectorXd path = realdata::edgePathDistances(t.V, t.F, t.root);
    EXPECT_GT(t.U.maxCoeff(), 0.9 * path.maxCoeff());
}

TEST(AnyResolution, EveryTipFromTwentyFiveToTwoHundredThousandVertices) {
    for (int vertices : {25000, 100000, 200000}) {
        const Tree t = generated({12, vertices, 4}).analyse(false);
        std::vector<int> expected(t.lines.tips.size() + 1);
        std::iota(expected.begin(), expected.end(), -1);
        EXPECT_EQ(t.ends(), expected) << vertices;
        EXPECT_EQ(t.endAt(t.root), -1) << vertices;
    }
}

// A second tree beside the first (twice the ends, U spans both); a loop (no
// end, no root); a tetrahedron beside the tree (zero tangents: NaN rows of W
// must not spread through U), a vertex no face uses and zero-area faces (the
// same ends, about the same U); corners collapsed onto an edge or nearly
// (the run ends normally, whatever its stop messages say).
TEST(Robustness, PiecesLoopsDegenerateAndLooseParts) {
    const Tree& tree = smallTree();
    const TrapsMasked masked;  // no gradient of D (0 / 0) where the heat never goes
    const int n = static_cast<int>(tree.V.rows()), m = static_cast<int>(tree.F.rows());
    Tree t, torus;
    vessel_tree::sideBySide(tree.V, tree.F, t.V, t.F);
    EXPECT_EQ(t.analyse().endpoints.size(), 2 * tree.endpoints.size());
    ASSERT_TRUE(t.root >= 0 && t.U.size() == t.V.rows() && t.U.allFinite());
    EXPECT_TRUE(t.U.minCoeff() == 0.0 && t.U(t.root) < 0.05 * t.U.maxCoeff());
    vessel_tree::torusMesh(3.0, 1.0, 64, 24, torus.V, torus.F);
    EXPECT_TRUE(torus.analyse().endpoints.empty() && torus.root == -1);

    t = tree;  // a tetrahedron, a vertex no face uses, and faces without area
    t.V.conservativeResize(n + 5, 3);
    t.V.bottomRows(5) << 40, 40, 40, 41, 40, 40, 40, 41, 40, 40, 40, 41, 0.3, 0.2, 0.1;
    t.F.resize(m + 4 + 2 * (m / 50), 3);
    t.F.topRows(m + 4) << tree.F, n, n + 2, n + 1, n, n + 1, n + 3, n, n + 3, n + 2, n + 1, n + 2,
        n + 3;
    for (int k = 0; k < m / 50; ++k) {
        const Eigen::RowVector3i f = tree.F.row(50 * k);
        t.F.row(m + 4 + 2 * k) << f(0), f(0), f(1);
        t.F.row(m + 5 + 2 * k) << f(1), f(2), f(1);
    }
    std::vector<int> ends = t.analyse().ends();  // the tetrahedron's corners may be ends too
    ends.erase(std::remove(ends.begin(), ends.end(), -2), ends.end());
    EXPECT_TRUE(ends == tree.ends() && t.endAt(t.root) == -1);
    ASSERT_TRUE(t.U.size() == n + 5 && t.U.allFinite());
    EXPECT_LT((t.U.head(n) - tree.U).cwiseAbs().maxCoeff(), 0.01 * tree.U.maxCoeff());

    for (double offset : {0.0, 1e-9, 1e-4}) {
        t = tree;
        for (int f = 0; f < t.F.rows(); f += 97)
            t.V.row(t.F(f, 2)) = 0.5 * (t.V.row(t.F(f, 0)) + t.V.row(t.F(f, 1))) +
                                 Eigen::RowVector3d(offset, offset, 0);
        const ChildResult c = runInChild([&] { std::printf("root %d\n", t.analyse().root); });
        EXPECT_EQ(c.exitStatus, 0) << "offset " << offset;
        EXPECT_NE(c.out.find("root "), std::string::npos);
    }
}
