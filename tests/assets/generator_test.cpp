// The mesh checker, which every asset test relies on, and the generator's
// promises that the analysis tests and benchmarks take for granted.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "vessel_tree.h"

using namespace vessel_tree;

TEST(MeshCheck, SeesEveryKindOfFault) {
    Eigen::MatrixXd V(4, 3);  // a regular tetrahedron, counter-clockwise seen from outside
    V << 1, 1, 1, 1, -1, -1, -1, 1, -1, -1, -1, 1;
    Eigen::MatrixXi F(4, 3);
    F << 0, 1, 2, 0, 2, 3, 0, 3, 1, 1, 3, 2;
    const MeshReport good = checkMesh(V, F);
    EXPECT_TRUE(good.closedManifold() && good.components == 1 && good.eulerCharacteristic == 2);
    EXPECT_NEAR(good.signedVolume, 8.0 / 3.0, 1e-12);
    EXPECT_NEAR(good.minAngleDegrees, 60.0, 1e-9);

    Eigen::MatrixXi turned = F;  // its three edges are walked the same way twice
    std::swap(turned(0, 1), turned(0, 2));
    EXPECT_EQ(checkMesh(V, turned).misorientedEdges, 3);
    EXPECT_EQ(checkMesh(V, F.topRows(3)).boundaryEdges, 3);  // a hole
    Eigen::MatrixXd V5(5, 3);
    V5 << V, 3, 0, 0;
    Eigen::MatrixXi fin(5, 3);
    fin << F, 0, 1, 4;  // a third face on edge (0, 1)
    EXPECT_EQ(checkMesh(V5, fin).nonManifoldEdges, 1);
    EXPECT_EQ(checkMesh(V5, F).unusedVertices, 1);
    // Two tetrahedra sharing only vertex 0: pinched there, two pieces by edges.
    Eigen::MatrixXd V7(7, 3);
    V7 << V, (2 * V.row(0)).replicate(3, 1) - V.bottomRows(3);
    Eigen::MatrixXi F8(8, 3);
    F8 << F, (F.array() > 0).select(F.array() + 3, 0).matrix();
    const MeshReport pinched = checkMesh(V7, F8);
    EXPECT_EQ(pinched.nonManifoldVertices, 1);
    EXPECT_EQ(pinched.nonManifoldEdges, 0);
    EXPECT_EQ(pinched.components, 2);
    V.row(3) = (V.row(1) + V.row(2)) / 2;  // a face with its corners on a line
    EXPECT_NEAR(checkMesh(V, F).minAngleDegrees, 0.0, 1e-9);
}

TEST(VesselTree, CentreLinesFollowMurraysLawAndTaperTowardsTheTips) {
    for (int tips : {2, 7, 16}) {
        TreeOptions options;
        options.tips = tips;
        const CentreLines lines = treeCentreLines(options);
        ASSERT_EQ(int(lines.tips.size()), tips);
        const size_t n = lines.segments.size();
        std::vector<double> cubes(n, 0.0), widest(n, 0.0);  // of each segment's children
        std::vector<int> children(n, 0);
        for (size_t i = 1; i < n; ++i) {
            const Segment& s = lines.segments[i];
            ASSERT_TRUE(s.parent >= 0 && s.parent < int(i));  // parents come first
            cubes[s.parent] += std::pow(s.ra, 3);
            widest[s.parent] = std::max(widest[s.parent], s.ra);
            ++children[s.parent];
        }
        for (size_t i = 0; i < n; ++i) {
            EXPECT_LE(lines.segments[i].rb, lines.segments[i].ra);
            ASSERT_LE(children[i], 2);
            if (children[i] > 0) {
                EXPECT_NEAR(cubes[i], std::pow(lines.segments[i].rb, 3), 1e-12);
            }
            EXPECT_LT(children[i] == 2 ? widest[i] : 0, 0.85 * lines.rootRadius);  // one trunk
        }
    }
}

TEST(VesselTree, DeterministicMeshesOfTheTargetSizeWrapTheTubes) {
    TreeOptions options;
    options.tips = 9;
    options.seed = 11;
    for (int target : {2500, 8000, 40000}) {
        options.targetVertices = target;
        Eigen::MatrixXd V, W;
        Eigen::MatrixXi F, G;
        CentreLines lines;
        treeMesh(options, V, F, &lines);
        treeMesh(options, W, G);
        EXPECT_TRUE(V == W && F == G) << target;
        EXPECT_NEAR(double(V.rows()), target, 0.1 * target);
        const MeshReport r = checkMesh(V, F);
        EXPECT_TRUE(r.closedManifold() && r.components == 1 && r.eulerCharacteristic == 2);
        EXPECT_GT(r.signedVolume, 0);
        EXPECT_GT(r.minAngleDegrees, target < 8000 ? 0.0 : 12.0);  // slivers only when coarse
        if (target < 40000) continue;
        // Never inside the tubes (a smooth union only adds material), and
        // outside them only by the fillets where branches meet.
        for (int i = 0; i < V.rows(); ++i) {
            double distance = INFINITY, radius = 0;
            for (const Segment& s : lines.segments) {
                const Eigen::Vector3d p = V.row(i).transpose(), axis = s.b - s.a;
                const double t = std::clamp((p - s.a).dot(axis) / axis.squaredNorm(), 0.0, 1.0);
                const double r = s.ra + t * (s.rb - s.ra), d = (p - s.a - t * axis).norm() - r;
                if (d < distance) std::tie(distance, radius) = std::make_pair(d, r);
            }
            ASSERT_GT(distance, -0.1 * r.meanEdgeLength) << i;
            ASSERT_LT(distance, 0.35 * radius) << i;
        }
    }
}
