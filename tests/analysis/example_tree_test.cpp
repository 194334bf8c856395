// The whole analysis on trees whose answers are known from their centre
// lines: the committed example meshes and a generated tree.
#include <gtest/gtest.h>

#include "analysis/remove_duplicate_vertices.h"
#include "geometry/read_triangle_mesh.h"
#include "tree_analysis.h"
#include "vessel_tree.h"

namespace {

struct KnownTree {
    std::string name;
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    vessel_tree::CentreLines lines;
    TreeAnalysis result;

    bool near(int vertex, const Eigen::Vector3d& p, double distance) const {
        return (V.row(vertex).transpose() - p).norm() < distance;
    }
};

KnownTree fromAsset(const std::string& file, const vessel_tree::CentreLines& lines) {
    KnownTree t{file, {}, {}, lines, {}};
    const std::string path = std::string(MORVIK_SOURCE_DIR) + "/assets/example_meshes/" + file;
    EXPECT_TRUE(geometry::read_triangle_mesh(path, t.V, t.F)) << path;
    removeDuplicateVertices(t.V, t.F);
    return t;
}

// Analysed once for the whole suite. The committed meshes are the generator's.
const std::vector<KnownTree>& trees() {
    static const std::vector<KnownTree> all = [] {
        Eigen::MatrixXd V;
        Eigen::MatrixXi F;
        vessel_tree::CentreLines bifurcation;
        vessel_tree::bifurcationMesh(3000, V, F, &bifurcation);
        std::vector<KnownTree> out = {
            fromAsset("vesselTree4.off", vessel_tree::treeCentreLines({})),
            fromAsset("bifurcation.off", bifurcation),
            KnownTree{"generated, 6 tips", {}, {}, {}, {}}};
        vessel_tree::treeMesh({6, 9000, 11}, out[2].V, out[2].F, &out[2].lines);
        for (KnownTree& t : out) t.result = analyse(t.V, t.F);
        return out;
    }();
    return all;
}

// The segments from the trunk's free end to tip k, and their length.
std::vector<const vessel_tree::Segment*> pathToTip(const vessel_tree::CentreLines& lines, size_t k,
                                                   double* length = nullptr) {
    int s = 0;
    for (size_t i = 0; i < lines.segments.size(); ++i)
        if ((lines.segments[i].b - lines.tips[k]).norm() <
            (lines.segments[s].b - lines.tips[k]).norm())
            s = static_cast<int>(i);
    std::vector<const vessel_tree::Segment*> path;
    for (; s >= 0; s = lines.segments[s].parent) path.insert(path.begin(), &lines.segments[s]);
    if (length) {
        *length = 0.0;
        for (const auto* seg : path) *length += (seg->b - seg->a).norm();
    }
    return path;
}

}  // namespace

// Every tip has an endpoint near it, every endpoint lies near a tip or the
// root, and the root lies at the trunk's end.
TEST(ExampleTrees, EndpointsAtTheTipsAndRootAtTheTrunksEnd) {
    for (const KnownTree& t : trees()) {
        SCOPED_TRACE(t.name);
        const auto& [lines, r] = std::tie(t.lines, t.result);
        ASSERT_FALSE(lines.tips.empty());
        for (size_t k = 0; k < lines.tips.size(); ++k)
            EXPECT_TRUE(std::any_of(
                r.endpoints.begin(), r.endpoints.end(),
                [&](int e) { return t.near(e, lines.tips[k], 2.0 * lines.tipRadii[k]); }))
                << "tip " << k;
        for (int e : r.endpoints) {
            bool nearAnEnd = t.near(e, lines.root, 2.0 * lines.rootRadius);
            for (size_t k = 0; k < lines.tips.size(); ++k)
                nearAnEnd = nearAnEnd || t.near(e, lines.tips[k], 2.0 * lines.tipRadii[k]);
            EXPECT_TRUE(nearAnEnd) << "endpoint " << e << " lies far from every end";
        }
        ASSERT_GE(r.root, 0);
        EXPECT_TRUE(t.near(r.root, lines.root, 1.5 * lines.rootRadius));
    }
}

// U is 0 at the trunk's end and largest, about the path's length, at a tip
// whose path is among the longest. Sampled along each root-to-tip centre
// line, it never falls by more than a little noise and grows by most of its
// range.
TEST(ExampleTrees, UGrowsFromTheRootToAFarTip) {
    for (const KnownTree& t : trees()) {
        SCOPED_TRACE(t.name);
        const Eigen::VectorXd& U = t.result.U;
        ASSERT_EQ(U.size(), t.V.rows());
        ASSERT_TRUE(U.allFinite());
        const double Dmax = U.maxCoeff();
        int lowest, highest;
        EXPECT_EQ(U.minCoeff(&lowest), 0.0);
        U.maxCoeff(&highest);
        EXPECT_LT(U(t.result.root), 0.02 * Dmax);
        EXPECT_TRUE(t.near(lowest, t.lines.root, 2.0 * t.lines.rootRadius));

        std::vector<double> lengths(t.lines.tips.size());
        for (size_t k = 0; k < lengths.size(); ++k) pathToTip(t.lines, k, &lengths[k]);
        const double longest = *std::max_element(lengths.begin(), lengths.end());
        bool atFarTip = false;
        for (size_t k = 0; k < lengths.size(); ++k)
            atFarTip = atFarTip || (t.near(highest, t.lines.tips[k], 2.0 * t.lines.tipRadii[k]) &&
                                    lengths[k] > 0.8 * longest);
        EXPECT_TRUE(atFarTip) << "U is largest at vertex " << highest;
        EXPECT_GT(Dmax, 0.8 * longest);
        EXPECT_LT(Dmax, 1.3 * longest);

        for (size_t k = 0; k < lengths.size(); ++k) {
            std::vector<double> means;  // of U around points of the path
            for (const auto* s : pathToTip(t.lines, k))
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
