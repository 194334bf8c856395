// Damaged copies of the fuzz target's seed files never crash a reader, and
// whatever a reader accepts is a sound mesh: a bounded, repeatable cousin of
// the fuzz run.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "geometry/mesh_readers.h"

namespace {

std::string mutate(std::string data, std::mt19937& random) {
    static const char* pieces[] = {"-1", "0", "4294967296", "99999999999", "nan", "1e999",
                                   "\n", " ", "#",          "[",           "]",   "{",
                                   "}",  "-", "/",          "end_header\n"};
    for (int edits = 1 + random() % 4; edits > 0 && !data.empty(); --edits) {
        const std::size_t at = random() % data.size(), kind = random() % 5;
        if (kind == 0) data[at] = static_cast<char>(random());
        if (kind == 1) data.resize(at);
        if (kind == 2) data.erase(at, 1 + random() % 8);
        if (kind == 3) data.insert(at, pieces[random() % std::size(pieces)]);
        if (kind == 4) data.insert(at, data.substr(random() % data.size(), 1 + random() % 16));
    }
    return data;
}

TEST(ReaderRobustness, DamagedFilesFailCleanlyOrGiveSoundMeshes) {
    std::mt19937 random(20261206);
    int accepted = 0, refused = 0, seeds = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(MORVIK_SOURCE_DIR "/tools/fuzz_readers/seeds")) {
        std::stringstream file;
        file << std::ifstream(entry.path(), std::ios::binary).rdbuf();
        // The first byte is the format's digit, as the fuzz target reads it.
        const auto format = static_cast<geometry::readers::MeshFormat>(file.str()[0] - '0');
        const std::string seed = file.str().substr(1);
        geometry::readers::MeshBuffers mesh;
        std::string error;
        ASSERT_TRUE(geometry::readers::parseMesh(format, seed, mesh, error)) << entry.path();
        ++seeds;
        for (int trial = 0; trial < 3000; ++trial) {
            const std::string data = mutate(seed, random);
            if (!geometry::readers::parseMesh(format, data, mesh, error)) {
                ++refused;
                ASSERT_TRUE(!error.empty() && error.find('\n') == std::string::npos) << error;
                continue;
            }
            ++accepted;
            ASSERT_EQ(mesh.positions.size() % 3 + mesh.triangles.size() % 3, 0u);
            for (double value : mesh.positions) ASSERT_TRUE(std::isfinite(value)) << data;
            for (int i : mesh.triangles) ASSERT_TRUE(i >= 0 && i < mesh.vertexCount()) << data;
        }
    }
    EXPECT_GE(seeds, 6);       // a seed for every format at least
    EXPECT_GT(accepted, 100);  // both outcomes must occur for the check to mean anything
    EXPECT_GT(refused, 100);
}

}  // namespace
