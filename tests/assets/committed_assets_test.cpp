// The committed meshes and textures: the shapes and channels the viewer relies
// on, and that they are what the generators write today.

#include <gtest/gtest.h>
#include <stb_image.h>

#include <filesystem>

#include "child_process.h"
#include "geometry/read_triangle_mesh.h"
#include "vessel_tree.h"

namespace {

const std::string kAssets = MORVIK_SOURCE_DIR "/assets/";

struct Mesh {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
};

Mesh readMesh(const std::string& path) {  // with the viewer's own reader
    Mesh m;
    EXPECT_TRUE(geometry::read_triangle_mesh(path, m.V, m.F)) << path;
    return m;
}

struct Image {
    int width = 0, height = 0, channels = 0;  // channels as stored in the file
    std::vector<unsigned char> pixels;
    const unsigned char* at(int x, int y) const { return &pixels[(y * width + x) * channels]; }
};

Image readImage(const std::string& path) {
    Image image;
    unsigned char* data = stbi_load(path.c_str(), &image.width, &image.height, &image.channels, 0);
    EXPECT_NE(data, nullptr) << path;
    if (data) image.pixels.assign(data, data + image.width * image.height * image.channels);
    stbi_image_free(data);
    return image;
}

// Runs a generator into a fresh folder and returns that folder.
std::string regenerate(const std::string& tool) {
    const std::string dir = testing::TempDir() + "/regenerated_" + tool;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string folder = tool == "make_vessel_trees" ? "vessel_tree" : tool;
    const ChildResult run =
        runProgram(MORVIK_BINARY_DIR "/tools/" + folder + "/" + tool, {dir}, "", 120);
    EXPECT_TRUE(run.exited && run.exitStatus == 0) << run.out << run.err;
    return dir + "/";
}

}  // namespace

TEST(CommittedMeshes, ClosedOutwardOnePieceOfTheirSizesAndAsGeneratedToday) {
    const std::string trees = regenerate("make_vessel_trees"), models = regenerate("make_sphere");
    const struct {
        std::string committed, fresh;
        int minVertices, maxVertices;
    } meshes[] = {{"example_meshes/vesselTree4.off", trees + "vesselTree4.off", 15000, 40000},
                  {"example_meshes/bifurcation.off", trees + "bifurcation.off", 1500, 6000},
                  {"models/sphere.off", models + "sphere.off", 642, 642}};
    for (const auto& m : meshes) {
        SCOPED_TRACE(m.committed);
        const Mesh mesh = readMesh(kAssets + m.committed), fresh = readMesh(m.fresh);
        const vessel_tree::MeshReport r = vessel_tree::checkMesh(mesh.V, mesh.F);
        EXPECT_TRUE(r.closedManifold() && r.components == 1 && r.eulerCharacteristic == 2);
        EXPECT_GT(r.signedVolume, 0);        // outward
        EXPECT_GT(r.minAngleDegrees, 15.0);  // no slivers, no zero-area faces
        EXPECT_TRUE(r.vertices >= m.minVertices && r.vertices <= m.maxVertices) << r.vertices;
        ASSERT_EQ(mesh.F, fresh.F);
        EXPECT_LT((mesh.V - fresh.V).cwiseAbs().maxCoeff(), 1e-5);
    }
    const Mesh sphere = readMesh(kAssets + "models/sphere.off");  // the unit icosphere
    EXPECT_LT((sphere.V.rowwise().norm().array() - 1.0).abs().maxCoeff(), 1e-6);
    const Mesh y = readMesh(kAssets + "example_meshes/bifurcation.off");  // symmetric in x
    EXPECT_NEAR(y.V.col(0).maxCoeff(), -y.V.col(0).minCoeff(), 0.05);
}

TEST(CommittedMeshes, ExampleTreeCapsEveryTipAndEndsAtTheRoot) {
    const Mesh tree = readMesh(kAssets + "example_meshes/vesselTree4.off");
    const vessel_tree::CentreLines lines = vessel_tree::treeCentreLines({});  // the default tree
    EXPECT_TRUE(lines.tips.size() >= 8 && lines.tips.size() <= 16);
    for (size_t t = 0; t < lines.tips.size(); ++t)
        EXPECT_LT((tree.V.rowwise() - lines.tips[t].transpose()).rowwise().norm().minCoeff(),
                  1.1 * lines.tipRadii[t]);
    // The root is the trunk's free end, at the bottom of the tree.
    EXPECT_NEAR(tree.V.col(1).minCoeff(), lines.root.y() - lines.rootRadius, 0.05);
}

TEST(Textures, ChannelsSizesAndAsGeneratedToday) {
    const std::string dir = regenerate("make_textures");
    for (const char* name :
         {"arrow.png", "grad_WhBu.jpg", "grad_WhGn.png", "grad_OrRd.png", "grad_magma.png"}) {
        const Image committed = readImage(kAssets + "textures/" + name),
                    fresh = readImage(dir + name);
        const bool arrow = name[0] == 'a';  // RGBA; the colour maps RGB, no alpha
        EXPECT_EQ(committed.channels, arrow ? 4 : 3) << name;
        EXPECT_EQ(committed.width, 256) << name;
        EXPECT_TRUE(arrow ? committed.height == 128 : committed.height >= 1) << name;
        EXPECT_TRUE(committed.width == fresh.width && committed.height == fresh.height &&
                    committed.channels == fresh.channels && committed.pixels == fresh.pixels)
            << name;
    }
}

TEST(Textures, ArrowPointsAlongUOnATransparentSurround) {
    const Image arrow = readImage(kAssets + "textures/arrow.png");
    ASSERT_TRUE(arrow.channels == 4 && arrow.width == 256 && arrow.height == 128);
    int border = 0;
    for (int y = 0; y < arrow.height; ++y)
        for (int x = 0; x < arrow.width; ++x)
            border += arrow.at(x, y)[3] > 0 &&
                      (x < 4 || y < 4 || x >= arrow.width - 4 || y >= arrow.height - 4);
    EXPECT_EQ(border, 0);
    // The opaque height of each column: a narrow shaft with parallel sides on
    // the left, a wide head narrowing to a point on the right.
    auto height = [&](int x) {
        int n = 0;
        for (int y = 0; y < arrow.height; ++y) n += arrow.at(x, y)[3] > 127;
        return n;
    };
    EXPECT_GT(height(60), 10);
    EXPECT_EQ(height(30), height(60));
    EXPECT_GT(height(156), 2 * height(60));
    EXPECT_LT(height(225), height(60));
}

// Each map's first and last colours; magma's luminance rises, the others' falls.
TEST(Textures, ColourMapsAreRampsWithTheirNamedEnds) {
    const char* names[] = {"grad_WhBu.jpg", "grad_WhGn.png", "grad_OrRd.png", "grad_magma.png"};
    const int ends[4][6] = {{0xf7, 0xfb, 0xff, 0x08, 0x30, 0x6b},
                            {0xf7, 0xfc, 0xf5, 0x00, 0x44, 0x1b},
                            {0xfd, 0xd4, 0x9e, 0x7f, 0x00, 0x00},
                            {0x00, 0x00, 0x04, 0xfc, 0xfd, 0xbf}};
    for (int m = 0; m < 4; ++m) {
        const Image map = readImage(kAssets + "textures/" + names[m]);
        ASSERT_TRUE(map.channels == 3 && map.width == 256) << names[m];
        for (int y = 0; y < map.height; ++y)  // every row the same ramp, within the JPEG's noise
            for (int x = 0; x < 3 * map.width; ++x)
                ASSERT_NEAR(map.at(0, y)[x], map.at(0, 0)[x], 4);
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(map.at(0, 0)[c], ends[m][c], 6) << names[m];
            EXPECT_NEAR(map.at(255, 0)[c], ends[m][3 + c], 6) << names[m];
        }
        auto luminance = [&](int x) {
            return 0.2126 * map.at(x, 0)[0] + 0.7152 * map.at(x, 0)[1] + 0.0722 * map.at(x, 0)[2];
        };
        for (int x = 8; x < map.width; x += 8)  // small steps of noise allowed
            EXPECT_LT((m == 3 ? -1 : 1) * (luminance(x) - luminance(x - 8)), 2) << names[m] << x;
    }
}
