// Properties of the generated trees: what the analysis tests and benchmarks
// built on the generator take for granted.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "vessel_tree.h"

using namespace vessel_tree;

namespace {

// Distance from p to the plain union of the tapered tubes (negative inside).
double tubeDistance(const CentreLines& lines, const Eigen::Vector3d& p, double* radius = nullptr) {
    double best = INFINITY;
    for (const Segment& s : lines.segments) {
        const Eigen::Vector3d axis = s.b - s.a;
        const double t = std::clamp((p - s.a).dot(axis) / axis.squaredNorm(), 0.0, 1.0);
        const double r = s.ra + t * (s.rb - s.ra);
        const double d = (p - (s.a + t * axis)).norm() - r;
        if (d < best) {
            best = d;
            if (radius) *radius = r;
        }
    }
    return best;
}

// Closed, manifold, outward, one piece; well shaped unless the mesh is too
// coarse for its thinnest tips (minAngle 0 skips that check).
void expectGoodSurface(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, double minAngle = 15.0) {
    const MeshReport r = checkMesh(V, F);
    EXPECT_TRUE(r.closedManifold());
    EXPECT_EQ(r.components, 1);
    EXPECT_EQ(r.eulerCharacteristic, 2);  // no loop closed anywhere
    EXPECT_GT(r.signedVolume, 0);
    EXPECT_GT(r.minAngleDegrees, minAngle);
}

}  // namespace

TEST(VesselTree, CentreLinesFollowMurraysLawAndTaperTowardsTheTips) {
    for (int tips : {2, 7, 12, 16}) {
        TreeOptions options;
        options.tips = tips;
        const CentreLines lines = treeCentreLines(options);
        ASSERT_EQ(int(lines.tips.size()), tips);
        ASSERT_EQ(lines.tipRadii.size(), lines.tips.size());
        EXPECT_EQ(lines.segments.front().parent, -1);
        EXPECT_TRUE(lines.segments.front().a.isApprox(lines.root));
        EXPECT_DOUBLE_EQ(lines.segments.front().ra, lines.rootRadius);

        std::vector<std::vector<int>> children(lines.segments.size());
        for (size_t i = 0; i < lines.segments.size(); ++i) {
            const Segment& s = lines.segments[i];
            EXPECT_LE(s.rb, s.ra);
            if (s.parent < 0) continue;
            ASSERT_LT(s.parent, int(i));  // parents come first
            const Segment& parent = lines.segments[s.parent];
            EXPECT_TRUE(s.a.isApprox(parent.b));
            children[s.parent].push_back(int(i));
        }
        for (size_t i = 0; i < children.size(); ++i) {
            const Segment& p = lines.segments[i];
            if (children[i].size() == 1) {
                EXPECT_NEAR(lines.segments[children[i][0]].ra, p.rb, 1e-12);
            } else if (children[i].size() == 2) {
                const double r1 = lines.segments[children[i][0]].ra;
                const double r2 = lines.segments[children[i][1]].ra;
                EXPECT_NEAR(r1 * r1 * r1 + r2 * r2 * r2, p.rb * p.rb * p.rb, 1e-12);
                // The trunk is clearly the thickest vessel.
                EXPECT_LT(std::max(r1, r2), 0.85 * lines.rootRadius);
            } else {
                EXPECT_TRUE(children[i].empty()) << "a segment with three children";
            }
        }
    }
}

TEST(VesselTree, MeshIsDeterministicAndNearTheTargetSize) {
    TreeOptions options;
    options.tips = 9;
    options.seed = 11;
    for (int target : {2500, 8000, 40000}) {
        options.targetVertices = target;
        Eigen::MatrixXd V, W;
        Eigen::MatrixXi F, G;
        treeMesh(options, V, F);
        treeMesh(options, W, G);
        EXPECT_EQ(V, W);
        EXPECT_EQ(F, G);
        EXPECT_NEAR(double(V.rows()), target, 0.1 * target);
        expectGoodSurface(V, F, target < 8000 ? 0.0 : 12.0);
    }
}

TEST(VesselTree, SurfaceWrapsTheTubesWithSmallFillets) {
    TreeOptions options;
    options.targetVertices = 20000;
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    CentreLines lines;
    treeMesh(options, V, F, &lines);
    expectGoodSurface(V, F);
    const double spacing = checkMesh(V, F).meanEdgeLength;
    for (int i = 0; i < V.rows(); ++i) {
        double radius = 0;
        const double d = tubeDistance(lines, V.row(i).transpose(), &radius);
        // Never inside the tubes (a smooth union only adds material), and
        // outside them only by the fillets where branches meet.
        ASSERT_GT(d, -0.1 * spacing) << "vertex " << i;
        ASSERT_LT(d, 0.35 * radius) << "vertex " << i;
    }
    // Every tip and the root end are capped by the surface: some vertex lies
    // just beyond each end, about one radius out along the branch.
    auto nearestVertex = [&](const Eigen::Vector3d& p) {
        return (V.rowwise() - p.transpose()).rowwise().norm().minCoeff();
    };
    for (size_t t = 0; t < lines.tips.size(); ++t)
        EXPECT_LT(nearestVertex(lines.tips[t]), lines.tipRadii[t] * 1.1);
    EXPECT_LT(nearestVertex(lines.root), lines.rootRadius * 1.1);
    EXPECT_GT(nearestVertex(lines.root), lines.rootRadius * 0.9);
}

TEST(VesselTree, BifurcationIsAYWithTwoEqualBranches) {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    CentreLines lines;
    bifurcationMesh(3000, V, F, &lines);
    expectGoodSurface(V, F);
    ASSERT_EQ(lines.tips.size(), 2u);
    EXPECT_NEAR(lines.tips[0].x(), -lines.tips[1].x(), 1e-12);
    EXPECT_NEAR(lines.tips[0].y(), lines.tips[1].y(), 1e-12);
    EXPECT_GT(lines.tips[0].y(), 6.0);  // both above the trunk
    // Mirror-symmetric in x, like its centre lines.
    EXPECT_NEAR(V.col(0).maxCoeff(), -V.col(0).minCoeff(), 0.05);
}
