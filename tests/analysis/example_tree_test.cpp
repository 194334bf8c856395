// The whole analysis on trees whose answers are known from their centre
// lines: the committed example meshes and a generated tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "analysis/endpoints.h"
#include "analysis/remove_duplicate_vertices.h"
#include "analysis/skeleton_contraction.h"
#include "analysis/u_field.h"
#include "geometry/read_triangle_mesh.h"
#include "vessel_tree.h"

namespace {

struct AnalysedTree {
    std::string name;
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    vessel_tree::CentreLines lines;
    std::vector<int> endpoints;
    int root = -1;
    Eigen::VectorXd U;
};

// What the mesh-loading driver does after reading a file.
void analyse(AnalysedTree& t) {
    removeDuplicateVertices(t.V, t.F);
    Eigen::MatrixXd S = t.V;
    contractMesh(S, t.F, 5.0, 10);
    findEndpoints(S, t.F, t.endpoints);
    t.root = findRootPoint(t.endpoints, t.V, t.F);
    if (t.root >= 0) computeUField(t.V, t.F, t.root, t.U);
}

AnalysedTree fromAsset(const std::string& file) {
    AnalysedTree t;
    t.name = file;
    const std::string path = std::string(MORVIK_SOURCE_DIR) + "/assets/example_meshes/" + file;
    EXPECT_TRUE(geometry::read_triangle_mesh(path, t.V, t.F)) << path;
    return t;
}

// The trees are analysed once for the whole suite.
const std::vector<AnalysedTree>& trees() {
    static const std::vector<AnalysedTree> all = [] {
        std::vector<AnalysedTree> out;
        // The committed example is the generator's default tree.
        out.push_back(fromAsset("vesselTree4.off"));
        out.back().lines = vessel_tree::treeCentreLines(vessel_tree::TreeOptions{});
        out.push_back(fromAsset("bifurcation.off"));
        {
            Eigen::MatrixXd V;
            Eigen::MatrixXi F;
            vessel_tree::bifurcationMesh(3000, V, F, &out.back().lines);
        }
        AnalysedTree generated;
        generated.name = "generated tree, 6 tips";
        vessel_tree::TreeOptions options;
        options.tips = 6;
        options.targetVertices = 9000;
        options.seed = 11;
        vessel_tree::treeMesh(options, generated.V, generated.F, &generated.lines);
        out.push_back(generated);
        for (AnalysedTree& t : out) analyse(t);
        return out;
    }();
    return all;
}

Eigen::Vector3d position(const AnalysedTree& t, int i) {
    return t.V.row(i).transpose();
}

// The segments from the trunk's free end to tip k, in that order.
std::vector<const vessel_tree::Segment*> pathToTip(const vessel_tree::CentreLines& lines,
                                                   size_t k) {
    int last = -1;
    double best = 1e300;
    for (size_t s = 0; s < lines.segments.size(); ++s) {
        const double d = (lines.segments[s].b - lines.tips[k]).norm();
        if (d < best) best = d, last = static_cast<int>(s);
    }
    std::vector<const vessel_tree::Segment*> path;
    for (int s = last; s >= 0; s = lines.segments[s].parent) path.push_back(&lines.segments[s]);
    std::reverse(path.begin(), path.end());
    return path;
}

double pathLength(const std::vector<const vessel_tree::Segment*>& path) {
    double length = 0.0;
    for (const auto* s : path) length += (s->b - s->a).norm();
    return length;
}

// Mean U of the vertices around a centre-line point; false if none is there.
bool meanUAround(const AnalysedTree& t, const Eigen::Vector3d& p, double radius, double& mean) {
    double sum = 0.0;
    int count = 0;
    for (int i = 0; i < t.V.rows(); ++i)
        if ((position(t, i) - p).norm() < radius) sum += t.U(i), ++count;
    if (count == 0) return false;
    mean = sum / count;
    return true;
}

}  // namespace

TEST(ExampleTrees, EveryTipHasAnEndpointAndEveryEndpointIsAnEnd) {
    for (const AnalysedTree& t : trees()) {
        SCOPED_TRACE(t.name);
        ASSERT_FALSE(t.lines.tips.empty());
        for (size_t k = 0; k < t.lines.tips.size(); ++k) {
            double nearest = 1e300;
            for (int e : t.endpoints)
                nearest = std::min(nearest, (position(t, e) - t.lines.tips[k]).norm());
            EXPECT_LT(nearest, 2.0 * t.lines.tipRadii[k]) << "tip " << k;
        }
        for (int e : t.endpoints) {
            bool nearAnEnd = (position(t, e) - t.lines.root).norm() < 2.0 * t.lines.rootRadius;
            for (size_t k = 0; k < t.lines.tips.size(); ++k)
                nearAnEnd = nearAnEnd ||
                            (position(t, e) - t.lines.tips[k]).norm() < 2.0 * t.lines.tipRadii[k];
            EXPECT_TRUE(nearAnEnd) << "endpoint " << e << " lies far from every end";
        }
    }
}

TEST(ExampleTrees, RootIsAtTheTrunksEnd) {
    for (const AnalysedTree& t : trees()) {
        SCOPED_TRACE(t.name);
        ASSERT_GE(t.root, 0);
        EXPECT_LT((position(t, t.root) - t.lines.root).norm(), 1.5 * t.lines.rootRadius);
    }
}

TEST(ExampleTrees, UIsZeroAtTheRootAndLargestAtAFarTip) {
    for (const AnalysedTree& t : trees()) {
        SCOPED_TRACE(t.name);
        ASSERT_EQ(t.U.size(), t.V.rows());
        ASSERT_TRUE(t.U.allFinite());
        const double Dmax = t.U.maxCoeff();
        EXPECT_EQ(t.U.minCoeff(), 0.0);
        EXPECT_LT(t.U(t.root), 0.02 * Dmax);
        int lowest, highest;
        t.U.minCoeff(&lowest);
        t.U.maxCoeff(&highest);
        EXPECT_LT((position(t, lowest) - t.lines.root).norm(), 2.0 * t.lines.rootRadius);

        // The highest value lies at a tip whose path is among the longest,
        // and is about the geodesic length of that path.
        double longest = 0.0;
        for (size_t k = 0; k < t.lines.tips.size(); ++k)
            longest = std::max(longest, pathLength(pathToTip(t.lines, k)));
        bool atFarTip = false;
        for (size_t k = 0; k < t.lines.tips.size(); ++k) {
            if ((position(t, highest) - t.lines.tips[k]).norm() < 2.0 * t.lines.tipRadii[k]) {
                atFarTip = pathLength(pathToTip(t.lines, k)) > 0.8 * longest;
            }
        }
        EXPECT_TRUE(atFarTip) << "U is largest at vertex " << highest;
        EXPECT_GT(Dmax, 0.8 * longest);
        EXPECT_LT(Dmax, 1.3 * longest);
    }
}

// Sampled along each root-to-tip centre line, U never falls by more than a
// little noise and grows by most of its range.
TEST(ExampleTrees, UGrowsAlongEveryRootToTipPath) {
    for (const AnalysedTree& t : trees()) {
        SCOPED_TRACE(t.name);
        const double Dmax = t.U.maxCoeff();
        for (size_t k = 0; k < t.lines.tips.size(); ++k) {
            std::vector<double> samples;
            for (const auto* s : pathToTip(t.lines, k)) {
                for (double f : {0.0, 0.5}) {
                    double mean;
                    if (meanUAround(t, s->a + f * (s->b - s->a),
                                    1.5 * (s->ra + f * (s->rb - s->ra)), mean))
                        samples.push_back(mean);
                }
            }
            ASSERT_GE(samples.size(), 4u);
            for (size_t j = 1; j < samples.size(); ++j)
                EXPECT_GT(samples[j], samples[j - 1] - 0.03 * Dmax)
                    << "tip " << k << " sample " << j;
            EXPECT_GT(samples.back() - samples.front(), 0.4 * Dmax) << "tip " << k;
        }
    }
}
