// The mesh checker is what every asset test relies on: it must see each kind
// of fault, and the derived meshes must have exactly the faults they promise.

#include <gtest/gtest.h>

#include "vessel_tree.h"

using namespace vessel_tree;

namespace {

// A regular tetrahedron, counter-clockwise seen from outside.
void tetrahedron(Eigen::MatrixXd& V, Eigen::MatrixXi& F) {
    V.resize(4, 3);
    V << 1, 1, 1, 1, -1, -1, -1, 1, -1, -1, -1, 1;
    F.resize(4, 3);
    F << 0, 1, 2, 0, 2, 3, 0, 3, 1, 1, 3, 2;
}

}  // namespace

TEST(MeshCheck, TetrahedronIsClosedOutwardAndWellShaped) {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    tetrahedron(V, F);
    const MeshReport r = checkMesh(V, F);
    EXPECT_TRUE(r.closedManifold());
    EXPECT_EQ(r.components, 1);
    EXPECT_EQ(r.eulerCharacteristic, 2);
    EXPECT_NEAR(r.signedVolume, 8.0 / 3.0, 1e-12);
    EXPECT_NEAR(r.minAngleDegrees, 60.0, 1e-9);
}

TEST(MeshCheck, SeesEveryKindOfFault) {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    tetrahedron(V, F);

    // One face turned: its three edges are walked the same way twice.
    Eigen::MatrixXi turned = F;
    std::swap(turned(0, 1), turned(0, 2));
    EXPECT_EQ(checkMesh(V, turned).misorientedEdges, 3);

    // One face missing: a hole with three boundary edges.
    EXPECT_EQ(checkMesh(V, F.topRows(3)).boundaryEdges, 3);

    // A fin on edge (0, 1): that edge has three faces.
    Eigen::MatrixXd Vfin(5, 3);
    Vfin << V, 3, 0, 0;
    Eigen::MatrixXi Ffin(5, 3);
    Ffin << F, 0, 1, 4;
    EXPECT_EQ(checkMesh(Vfin, Ffin).nonManifoldEdges, 1);

    // Two tetrahedra sharing only vertex 0: a pinched vertex, one component
    // through that vertex but two through edges.
    Eigen::MatrixXd Vtwo(7, 3);
    Vtwo << V, (2 * V.row(0)).replicate(3, 1) - V.bottomRows(3);
    Eigen::MatrixXi Ftwo(8, 3);
    Eigen::MatrixXi second = F;
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 3; ++k)
            if (second(i, k) > 0) second(i, k) += 3;
    Ftwo << F, second;
    const MeshReport two = checkMesh(Vtwo, Ftwo);
    EXPECT_EQ(two.nonManifoldVertices, 1);
    EXPECT_EQ(two.nonManifoldEdges, 0);
    EXPECT_EQ(two.components, 2);

    // A vertex no face uses.
    Eigen::MatrixXd Vextra(5, 3);
    Vextra << V, 5, 5, 5;
    EXPECT_EQ(checkMesh(Vextra, F).unusedVertices, 1);

    // A zero-area face (three points on a line) has no angle above zero.
    Eigen::MatrixXd Vflat = V;
    Vflat.row(3) = (V.row(1) + V.row(2)) / 2;
    EXPECT_NEAR(checkMesh(Vflat, F).minAngleDegrees, 0.0, 1e-9);
}

TEST(DerivedMeshes, HaveExactlyThePromisedFaults) {
    Eigen::MatrixXd V, V2;
    Eigen::MatrixXi F, F2;
    bifurcationMesh(2000, V, F);
    const MeshReport original = checkMesh(V, F);

    inwardCopy(F, F2);
    const MeshReport inward = checkMesh(V, F2);
    EXPECT_TRUE(inward.closedManifold());
    EXPECT_NEAR(inward.signedVolume, -original.signedVolume, 1e-9);

    sideBySide(V, F, V2, F2);
    const MeshReport two = checkMesh(V2, F2);
    EXPECT_TRUE(two.closedManifold());
    EXPECT_EQ(two.components, 2);
    EXPECT_EQ(two.vertices, 2 * original.vertices);
    EXPECT_NEAR(two.signedVolume, 2 * original.signedVolume, 1e-6);

    torusMesh(3.0, 1.0, 48, 16, V2, F2);
    const MeshReport torus = checkMesh(V2, F2);
    EXPECT_TRUE(torus.closedManifold());
    EXPECT_EQ(torus.eulerCharacteristic, 0);  // a loop: genus one
    EXPECT_NEAR(torus.signedVolume, 2 * M_PI * M_PI * 3.0, 0.05 * 2 * M_PI * M_PI * 3.0);
    EXPECT_GT(torus.minAngleDegrees, 20.0);

    openTubeMesh(1.0, 4.0, 24, 12, V2, F2);
    const MeshReport tube = checkMesh(V2, F2);
    EXPECT_EQ(tube.boundaryEdges, 2 * 24);  // two open rims
    EXPECT_EQ(tube.nonManifoldEdges + tube.nonManifoldVertices + tube.misorientedEdges, 0);
    EXPECT_EQ(tube.components, 1);
    // Outward: the normals point away from the axis.
    const Eigen::Vector3d a = V2.row(F2(0, 0)), b = V2.row(F2(0, 1)), c = V2.row(F2(0, 2));
    const Eigen::Vector3d centre = (a + b + c) / 3;
    EXPECT_GT((b - a).cross(c - a).dot(Eigen::Vector3d(centre.x(), centre.y(), 0)), 0);
}

TEST(OffFiles, RoundTripAndRefuseMalformedFiles) {
    Eigen::MatrixXd V, W;
    Eigen::MatrixXi F, G;
    torusMesh(2.0, 0.5, 12, 8, V, F);
    const std::string path = testing::TempDir() + "/round_trip.off";
    ASSERT_TRUE(writeOff(path, V, F));
    ASSERT_TRUE(readOff(path, W, G));
    EXPECT_EQ(G, F);
    EXPECT_LT((W - V).cwiseAbs().maxCoeff(), 1e-7);

    const std::string bad = testing::TempDir() + "/bad.off";
    FILE* f = std::fopen(bad.c_str(), "w");
    std::fputs("OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 3\n", f);  // index out of range
    std::fclose(f);
    EXPECT_FALSE(readOff(bad, W, G));
    EXPECT_FALSE(writeOff(testing::TempDir() + "/no/such/folder/x.off", V, F));
}
