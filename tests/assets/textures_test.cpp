// The committed textures: the channel counts the renderer insists on, sizes,
// what they show, and that they are what the generator writes today.

#include <gtest/gtest.h>
#include <stb_image.h>

#include <filesystem>
#include <vector>

#include "child_process.h"

namespace {

const std::string kTextures = std::string(MORVIK_SOURCE_DIR) + "/assets/textures";

struct Image {
    int width = 0, height = 0, channels = 0;  // channels as stored in the file
    std::vector<unsigned char> pixels;        // decoded with that many channels
    const unsigned char* at(int x, int y) const { return &pixels[(y * width + x) * channels]; }
};

Image load(const std::string& path) {
    Image image;
    unsigned char* data = stbi_load(path.c_str(), &image.width, &image.height, &image.channels, 0);
    EXPECT_NE(data, nullptr) << path;
    if (data) {
        image.pixels.assign(data, data + image.width * image.height * image.channels);
        stbi_image_free(data);
    }
    return image;
}

double luminance(const unsigned char* p) {
    return 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
}

const char* kColourMaps[] = {"grad_WhBu.jpg", "grad_WhGn.png", "grad_OrRd.png", "grad_magma.png"};

}  // namespace

TEST(Textures, ArrowIsAnAntialiasedRgbaArrowPointingAlongU) {
    const Image arrow = load(kTextures + "/arrow.png");
    ASSERT_EQ(arrow.channels, 4);
    EXPECT_EQ(arrow.width, 256);
    EXPECT_EQ(arrow.height, 128);

    // Transparent surround, opaque body, soft edges.
    int partial = 0;
    for (int y = 0; y < arrow.height; ++y)
        for (int x = 0; x < arrow.width; ++x) {
            const int a = arrow.at(x, y)[3];
            partial += a > 0 && a < 255;
            if (x < 4 || y < 4 || x >= arrow.width - 4 || y >= arrow.height - 4) {
                ASSERT_EQ(a, 0) << x << "," << y;
            }
        }
    EXPECT_GT(partial, 100);
    EXPECT_EQ(arrow.at(arrow.width / 2, arrow.height / 2)[3], 255);

    // The opaque height of each column: a narrow shaft on the left, a wide
    // head that narrows to a point at the right.
    auto columnHeight = [&](int x) {
        int n = 0;
        for (int y = 0; y < arrow.height; ++y) n += arrow.at(x, y)[3] > 127;
        return n;
    };
    const int shaft = columnHeight(60), headBase = columnHeight(156), nearTip = columnHeight(225);
    EXPECT_GT(shaft, 10);
    EXPECT_GT(headBase, 2 * shaft);
    EXPECT_LT(nearTip, shaft);
    EXPECT_EQ(columnHeight(30), shaft);  // the shaft has parallel sides
    // Symmetric about the middle row.
    for (int x = 0; x < arrow.width; x += 8)
        for (int y = 0; y < arrow.height / 2; ++y)
            ASSERT_NEAR(arrow.at(x, y)[3], arrow.at(x, arrow.height - 1 - y)[3], 1);
}

TEST(Textures, ColourMapsAreRgbRampsWithTheirNamedEnds) {
    for (const char* name : kColourMaps) {
        SCOPED_TRACE(name);
        const Image map = load(kTextures + "/" + name);
        ASSERT_EQ(map.channels, 3);
        ASSERT_EQ(map.width, 256);
        ASSERT_GE(map.height, 1);
        // Every row is the same ramp (within the JPEG's noise).
        for (int y = 1; y < map.height; ++y)
            for (int x = 0; x < map.width; ++x)
                for (int c = 0; c < 3; ++c)
                    ASSERT_NEAR(map.at(x, y)[c], map.at(x, 0)[c], 4) << x << "," << y;
        // Luminance moves one way along the ramp (small steps of noise allowed).
        const bool rising = std::string(name) == "grad_magma.png";
        const int row = map.height / 2;
        for (int x = 8; x < map.width; x += 8) {
            const double before = luminance(map.at(x - 8, row)), now = luminance(map.at(x, row));
            EXPECT_TRUE(rising ? now > before - 2 : now < before + 2) << "column " << x;
        }
    }
    auto pixel = [](const char* name, int x) {
        const Image map = load(kTextures + "/" + name);
        return std::vector<int>(map.at(x, map.height / 2), map.at(x, map.height / 2) + 3);
    };
    auto near = [](const std::vector<int>& p, int r, int g, int b) {
        return std::abs(p[0] - r) <= 6 && std::abs(p[1] - g) <= 6 && std::abs(p[2] - b) <= 6;
    };
    EXPECT_TRUE(near(pixel("grad_WhBu.jpg", 0), 0xf7, 0xfb, 0xff));
    EXPECT_TRUE(near(pixel("grad_WhBu.jpg", 255), 0x08, 0x30, 0x6b));
    EXPECT_TRUE(near(pixel("grad_WhGn.png", 0), 0xf7, 0xfc, 0xf5));
    EXPECT_TRUE(near(pixel("grad_WhGn.png", 255), 0x00, 0x44, 0x1b));
    EXPECT_TRUE(near(pixel("grad_OrRd.png", 0), 0xfd, 0xd4, 0x9e));
    EXPECT_TRUE(near(pixel("grad_OrRd.png", 255), 0x7f, 0x00, 0x00));
    EXPECT_TRUE(near(pixel("grad_magma.png", 0), 0x00, 0x00, 0x04));
    EXPECT_TRUE(near(pixel("grad_magma.png", 255), 0xfc, 0xfd, 0xbf));
}

TEST(Textures, AreWhatTheGeneratorWritesToday) {
    const std::string dir = testing::TempDir() + "/regenerated_textures";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const ChildResult run =
        runProgram(std::string(MORVIK_BINARY_DIR) + "/tools/make_textures/make_textures", {dir});
    ASSERT_TRUE(run.exited && run.exitStatus == 0) << run.out;
    std::vector<std::string> names(std::begin(kColourMaps), std::end(kColourMaps));
    names.push_back("arrow.png");
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const Image committed = load(kTextures + "/" + name), fresh = load(dir + "/" + name);
        EXPECT_EQ(committed.width, fresh.width);
        EXPECT_EQ(committed.height, fresh.height);
        EXPECT_EQ(committed.channels, fresh.channels);
        EXPECT_EQ(committed.pixels, fresh.pixels);
    }
}
