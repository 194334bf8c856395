// The mesh checker, which every asset test relies on, and the generator's
// promises that the analysis tests and benchmarks take for granted.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "vessel_tree.h"

using namespace vessel_tree;

TEST(MeshCheck, SeesEveryKindOfFault) {
    Eigen::MatrixXd V(4, 3);  // a regular tetrahedron, counter-clockwise seen from outside
    V << 1, 1, 1, 1, -1, -1, -1, 1, -1, -1, -1, 1;
    Eigen::MatrixXi F(4, 3);
    F << 0, 1, 2, 0, 2, 3, 0, 3, 1, 1, 3, 2;
    const MeshReport good = checkMesh(V, F);
    EXPECT_TRUE(good.closedManifold() && good.components == 1 && good.eulerCharacteristic == 2);
    EXPECT_TRUE(std::abs(good.signedVolume - 8.0 / 3) < 1e-12 &&
                std::abs(good.minAngleDegrees - 60) < 1e-9);
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
    EXPECT_TRUE(pinched.nonManifoldVertices == 1 && !pinched.nonManifoldEdges &&
                pinched.components == 2);
    V.row(3) = (V.row(1) + V.row(2)) / 2;  // a face with its corners on a line
    EXPECT_NEAR(checkMesh(V, F).minAngleDegrees, 0.0, 1e-9);
}

// Every kind of tree: repeatable, of its size, with its traits and true answers.
TEST(VesselTree, EveryKindHasTheTraitsAskedFor) {
    using S = Shape;
    using E = Ends;
    const struct {
        TreeOptions options;  // tips, vertices, seed, shape, ends, slivers, scale
        double angleAbove, angleBelow;
    } kinds[] = {{{2, 2500, 11}, 0, 180},
                 {{9, 8000, 11}, 12, 180},
                 {{16, 40000, 11}, 17, 180},
                 {{12, 12000, 11, S::Bushy, E::Flat}, 2, 180},
                 {{12, 12000, 11, S::Bushy, E::Open, true}, 0, 1},
                 {{6, 12000, 11, S::Long, E::Flat, true, 0.001}, 0, 1},
                 {{4, 25000, 11, S::WideTrunk, E::Open, false, 1000}, 10, 180}};
    for (const auto& [options, angleAbove, angleBelow] : kinds) {
        const int target = options.targetVertices,
                  loops = options.ends == E::Open ? 1 + options.tips : 0;
        Eigen::MatrixXd V, W;
        Eigen::MatrixXi F, G;
        CentreLines lines;
        treeMesh(options, V, F, &lines);
        treeMesh({options.tips, target, 11, options.shape, options.ends, options.slivers}, W, G);
        ASSERT_TRUE(V == W * options.scale && F == G) << target;
        EXPECT_NEAR(double(V.rows()), target, 0.1 * target);
        const MeshReport r = checkMesh(V, F);  // a boundary loop at each open end
        EXPECT_EQ(r.nonManifoldEdges + r.nonManifoldVertices + r.misorientedEdges, 0);
        EXPECT_TRUE(!r.unusedVertices && r.components == 1 && r.eulerCharacteristic == 2 - loops);
        EXPECT_TRUE((r.boundaryEdges > 0) == (loops > 0) && (loops > 0 || r.signedVolume > 0));
        EXPECT_TRUE(r.minAngleDegrees > angleAbove && r.minAngleDegrees < angleBelow) << target;

        // The answers: the root widest, paths no shorter than straight lines, each
        // end in the mesh (a flat cap's centre, or a ring or round end of its radius).
        EXPECT_EQ(treeCentreLines(options).tips, lines.tips);
        const auto [thinnest, widest] =
            std::minmax_element(lines.tipRadii.begin(), lines.tipRadii.end());
        EXPECT_TRUE(lines.rootRadius > *widest && lines.tipPathLengths.size() == lines.tips.size());
        EXPECT_TRUE((options.shape != S::WideTrunk || lines.rootRadius >= 10 * *thinnest) &&
                    (options.shape != S::Long || lines.longestPath() >= 40 * lines.rootRadius));
        for (size_t i = 0; i <= lines.tips.size(); ++i) {
            const bool root = i == lines.tips.size();
            const Eigen::Vector3d end = root ? lines.root : lines.tips[i];
            const double d = (V.rowwise() - end.transpose()).rowwise().norm().minCoeff() /
                             (root ? lines.rootRadius : lines.tipRadii[i]);
            EXPECT_TRUE(options.ends == E::Flat ? d < 1e-12 : d > 0.8 && d < 1.1) << d;
            EXPECT_TRUE(root || lines.tipPathLengths[i] > (end - lines.root).norm());
        }
        std::vector<double> cubes(lines.segments.size(), 0.0);  // children's: Murray's law
        for (const Segment& s : lines.segments)
            if (s.parent >= 0) cubes[s.parent] += std::pow(s.ra, 3);
        for (size_t i = 0; i < cubes.size(); ++i)
            EXPECT_TRUE(cubes[i] == 0 ||
                        std::abs(cubes[i] / std::pow(lines.segments[i].rb, 3) - 1) < 1e-12);
    }
}
