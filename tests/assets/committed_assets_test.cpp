// The committed assets: what the viewer relies on, as the generators write it today.
#include <gtest/gtest.h>
#include <stb_image.h>

#include "child_process.h"
#include "geometry/read_triangle_mesh.h"
#include "scratch_dir.h"
#include "vessel_tree.h"

namespace {

const std::string kAssets = MORVIK_SOURCE_DIR "/assets/";

struct Mesh {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    explicit Mesh(const std::string& path) {  // with the viewer's own reader
        EXPECT_TRUE(geometry::read_triangle_mesh(path, V, F)) << path;
    }
};

struct Image {
    int width = 0, height = 0, channels = 0;  // channels as stored in the file
    std::vector<unsigned char> pixels;
    explicit Image(const std::string& path) {
        unsigned char* data = stbi_load(path.c_str(), &width, &height, &channels, 0);
        EXPECT_NE(data, nullptr) << path;
        if (data) pixels.assign(data, data + width * height * channels);
        stbi_image_free(data);
    }
    const unsigned char* at(int x, int y) const { return &pixels[(y * width + x) * channels]; }
};

void regenerate(const std::string& tool, const std::string& folder, const ScratchDir& dir) {
    const ChildResult run =
        runProgram(MORVIK_BINARY_DIR "/tools/" + folder + "/" + tool, {dir.path});
    EXPECT_TRUE(run.exited && run.exitStatus == 0) << run.out << run.err;
}

}  // namespace

TEST(CommittedAssets, MeshesAreClosedOutwardWellShapedAndAsGeneratedToday) {
    ScratchDir fresh;
    regenerate("make_vessel_trees", "vessel_tree", fresh);
    regenerate("make_sphere", "make_sphere", fresh);
    for (auto [committed, name, fewest, most] :
         {std::tuple{"example_meshes/vesselTree4.off", "vesselTree4.off", 15000, 40000},
          {"example_meshes/bifurcation.off", "bifurcation.off", 1500, 6000},
          {"models/sphere.off", "sphere.off", 642, 642}}) {
        const Mesh mesh(kAssets + committed), now(fresh.file(name));
        const vessel_tree::MeshReport r = vessel_tree::checkMesh(mesh.V, mesh.F);
        EXPECT_TRUE(r.closedManifold() && r.components == 1 && r.eulerCharacteristic == 2);
        EXPECT_TRUE(r.signedVolume > 0 && r.minAngleDegrees > 15.0) << committed;
        EXPECT_TRUE(r.vertices >= fewest && r.vertices <= most) << committed << r.vertices;
        ASSERT_TRUE(mesh.F.rows() == now.F.rows() && mesh.F == now.F) << committed;
        EXPECT_LT((mesh.V - now.V).cwiseAbs().maxCoeff(), 1e-5) << committed;
    }
    const Mesh tree(kAssets + "example_meshes/vesselTree4.off");  // rooted at its lowest end
    const vessel_tree::CentreLines lines = vessel_tree::treeCentreLines({});
    EXPECT_NEAR(tree.V.col(1).minCoeff(), lines.root.y() - lines.rootRadius, 0.05);
}

// The arrow (RGBA) points along U on a transparent surround; the colour maps
// (RGB) are ramps with their named ends, magma's luminance rising.
TEST(CommittedAssets, TexturesHoldTheirChannelsShapesAndColours) {
    ScratchDir dir;
    regenerate("make_textures", "make_textures", dir);
    auto texture = [&](const std::string& name) {
        const Image committed(kAssets + "textures/" + name), fresh(dir.file(name));
        EXPECT_TRUE(committed.width == fresh.width && committed.pixels == fresh.pixels) << name;
        return committed;
    };
    const Image arrow = texture("arrow.png");
    ASSERT_TRUE(arrow.channels == 4 && arrow.width == 256 && arrow.height == 128);
    auto opaque = [&](int x) {  // the opaque height of a column
        int n = 0;
        for (int y = 0; y < arrow.height; ++y) n += arrow.at(x, y)[3] > 127;
        return n;
    };
    EXPECT_TRUE(opaque(2) + opaque(253) == 0 && opaque(30) == opaque(60) && opaque(60) > 10);
    EXPECT_TRUE(opaque(156) > 2 * opaque(60) && opaque(225) < opaque(60)) << "a head to a point";
    const std::pair<const char*, std::array<int, 6>> maps[] = {
        {"grad_WhBu.jpg", {0xf7, 0xfb, 0xff, 0x08, 0x30, 0x6b}},
        {"grad_WhGn.png", {0xf7, 0xfc, 0xf5, 0x00, 0x44, 0x1b}},
        {"grad_OrRd.png", {0xfd, 0xd4, 0x9e, 0x7f, 0x00, 0x00}},
        {"grad_magma.png", {0x00, 0x00, 0x04, 0xfc, 0xfd, 0xbf}}};
    for (const auto& [name, ends] : maps) {
        const Image map = texture(name);
        ASSERT_TRUE(map.channels == 3 && map.width == 256) << name;
        for (int c = 0; c < 6; ++c)
            EXPECT_NEAR(map.at(c < 3 ? 0 : 255, map.height - 1)[c % 3], ends[c], 6) << name;
        auto luminance = [&](int x) {
            return 0.2126 * map.at(x, 0)[0] + 0.7152 * map.at(x, 0)[1] + 0.0722 * map.at(x, 0)[2];
        };
        for (int x = 8; x < map.width; x += 8)  // small steps of noise allowed
            EXPECT_LT((name[5] == 'm' ? -1 : 1) * (luminance(x) - luminance(x - 8)), 2)
                << name << x;
    }
}
