// The committed meshes, read with the viewer's own reader: their shape
// promises, and that they are what the generators write today.

#include <gtest/gtest.h>

#include <filesystem>

#include "child_process.h"
#include "geometry/read_triangle_mesh.h"
#include "vessel_tree.h"

using namespace vessel_tree;

namespace {

const std::string kAssets = std::string(MORVIK_SOURCE_DIR) + "/assets";
const std::string kTools = std::string(MORVIK_BINARY_DIR) + "/tools";

struct Mesh {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
};

Mesh readAsset(const std::string& path) {
    Mesh m;
    EXPECT_TRUE(geometry::read_triangle_mesh(path, m.V, m.F)) << path;
    return m;
}

void expectClosedOutwardOnePiece(const MeshReport& r) {
    EXPECT_TRUE(r.closedManifold());
    EXPECT_EQ(r.components, 1);
    EXPECT_EQ(r.eulerCharacteristic, 2);
    EXPECT_GT(r.signedVolume, 0);
    EXPECT_GT(r.minAngleDegrees, 15.0);  // no slivers, no zero-area faces
}

// Runs a generator into a fresh folder and returns that folder.
std::string regenerate(const std::string& tool, const std::string& name) {
    const std::string dir = testing::TempDir() + "/regenerated_" + name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const ChildResult run = runProgram(kTools + "/" + tool + "/" + name, {dir}, "", 120);
    EXPECT_TRUE(run.exited && run.exitStatus == 0) << run.out << run.err;
    return dir;
}

void expectSameMesh(const Mesh& a, const Mesh& b) {
    ASSERT_EQ(a.F, b.F);
    ASSERT_EQ(a.V.rows(), b.V.rows());
    EXPECT_LT((a.V - b.V).cwiseAbs().maxCoeff(), 1e-5);
}

}  // namespace

TEST(CommittedMeshes, ExampleMeshesAreClosedSurfacesOfTheirSizes) {
    const struct {
        const char* name;
        int minVertices, maxVertices;
    } meshes[] = {{"vesselTree4.off", 15000, 40000}, {"bifurcation.off", 1500, 6000}};
    for (const auto& m : meshes) {
        SCOPED_TRACE(m.name);
        const Mesh mesh = readAsset(kAssets + "/example_meshes/" + m.name);
        const MeshReport r = checkMesh(mesh.V, mesh.F);
        expectClosedOutwardOnePiece(r);
        EXPECT_GE(r.vertices, m.minVertices);
        EXPECT_LE(r.vertices, m.maxVertices);
    }
}

TEST(CommittedMeshes, ExampleTreeHasTheTipsAndRootOfTheDefaultTree) {
    const Mesh tree = readAsset(kAssets + "/example_meshes/vesselTree4.off");
    // It is the default tree: 8 to 16 tips, each capped by the surface.
    const CentreLines lines = treeCentreLines(TreeOptions());
    EXPECT_GE(lines.tips.size(), 8u);
    EXPECT_LE(lines.tips.size(), 16u);
    for (size_t t = 0; t < lines.tips.size(); ++t) {
        const double nearest =
            (tree.V.rowwise() - lines.tips[t].transpose()).rowwise().norm().minCoeff();
        EXPECT_LT(nearest, 1.1 * lines.tipRadii[t]) << "tip " << t;
    }
    // The root is the trunk's free end, at the bottom of the tree.
    EXPECT_NEAR(tree.V.col(1).minCoeff(), lines.root.y() - lines.rootRadius, 0.05);
}

TEST(CommittedMeshes, SphereIsTheUnitIcosphereFacingOutwards) {
    const Mesh s = readAsset(kAssets + "/models/sphere.off");
    ASSERT_EQ(s.V.rows(), 642);
    ASSERT_EQ(s.F.rows(), 1280);
    const MeshReport r = checkMesh(s.V, s.F);
    expectClosedOutwardOnePiece(r);
    EXPECT_LT((s.V.rowwise().norm().array() - 1.0).abs().maxCoeff(), 1e-6);
    EXPECT_NEAR(r.signedVolume, 4.0 / 3.0 * M_PI, 0.05);  // inscribed: a little less
    EXPECT_GT(r.minAngleDegrees, 50.0);
    // Outward means each face's normal points away from the centre.
    for (int f = 0; f < s.F.rows(); ++f) {
        const Eigen::Vector3d a = s.V.row(s.F(f, 0)), b = s.V.row(s.F(f, 1)),
                              c = s.V.row(s.F(f, 2));
        ASSERT_GT((b - a).cross(c - a).dot(a + b + c), 0) << "face " << f;
    }
}

TEST(CommittedMeshes, AreWhatTheGeneratorsWriteToday) {
    const std::string trees = regenerate("vessel_tree", "make_vessel_trees");
    for (const char* name : {"vesselTree4.off", "bifurcation.off"}) {
        SCOPED_TRACE(name);
        expectSameMesh(readAsset(kAssets + "/example_meshes/" + name),
                       readAsset(trees + "/" + name));
    }
    const std::string models = regenerate("make_sphere", "make_sphere");
    expectSameMesh(readAsset(kAssets + "/models/sphere.off"), readAsset(models + "/sphere.off"));
}
