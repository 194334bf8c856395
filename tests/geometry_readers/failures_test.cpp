// Paths and files that cannot be read: each read gives false, empty matrices
// and one line on standard error naming the file, and never crashes, hangs
// or aborts.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "child_process.h"
#include "reader_files.h"

namespace {

// A failed read leaves empty matrices and one line on standard error that
// names the file and holds `word`.
testing::AssertionResult failedWithOneLine(const ReadResult& r, const std::string& path,
                                           const std::string& word) {
    if (r.ok) return testing::AssertionFailure() << "the read succeeded";
    if (r.err.find('\n') != r.err.size() - 1 || r.err.find(path) == std::string::npos ||
        r.err.find(word) == std::string::npos)
        return testing::AssertionFailure()
               << "not one line naming the file with " << word << ": " << r.err;
    if (r.V.rows() != 0 || r.F.rows() != 0) return testing::AssertionFailure() << "matrices left";
    return testing::AssertionSuccess();
}

TEST(ReadFailures, PathsThatCannotBeOpenedOrHaveNoReader) {
    const std::string folder = scratch("folder.off"), pipe = scratch("pipe.off");
    mkdir(folder.c_str(), 0755);
    for (const std::string& path : {scratch("no such file.off"), folder})
        EXPECT_EQ(readMesh(path).err, "IOError: " + path + " could not be opened...\n");
    EXPECT_FALSE(readMesh("/dev/zero").ok);  // would never end if it were read
    // Opening a named pipe would wait for a writer that never comes; in a
    // child, so that a regression shows as a timeout, not a stuck suite.
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    ChildResult child = runInChild([&] { std::exit(readMesh(pipe).ok); });
    EXPECT_EQ(child.exitStatus, 0);
    EXPECT_EQ(readMesh(writeScratch("model.Xyz", "OFF\n0 0 0\n")).err,
              "Error: unknown extension: xyz\n");
    EXPECT_EQ(readMesh(writeScratch("no_extension", "OFF\n0 0 0\n")).err,
              "Error: unknown extension: \n");
    mkdir(scratch("dotted.off").c_str(), 0755);
    EXPECT_FALSE(readMesh(writeScratch("dotted.off/mesh", "OFF\n0 0 0\n")).ok);  // a folder's dot
}

// data/malformed/expected.txt lists every malformed file with a word of its
// message.
TEST(ReadFailures, MalformedFilesOfEveryFormat) {
    const std::string dir = MORVIK_SOURCE_DIR "/tests/geometry_readers/data/malformed/";
    std::ifstream list(dir + "expected.txt");
    int files = 0;
    for (std::string name, word; list >> name && std::getline(list, word);) {
        if (name[0] == '#') continue;
        ++files;
        EXPECT_TRUE(failedWithOneLine(readMesh(dir + name), dir + name, word.substr(1))) << name;
    }
    EXPECT_EQ(files, 55);
    // A double that a float cannot hold is refused by the single-precision read only.
    const std::string huge =
        writeScratch("huge.off", "OFF\n3 1 0\n0 0 0\n1e300 0 0\n0 1 0\n3 0 1 2\n");
    Eigen::MatrixXf V;
    Eigen::MatrixXi F;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(geometry::read_triangle_mesh(huge, V, F));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: " + huge + ": coordinate 1e+300 is beyond single precision\n");
    EXPECT_TRUE(readMesh(huge).ok);
}

// Elements without properties take no bytes, so a small file may declare
// billions of entries; reading must not walk through them. In a child with an
// alarm, so that a stall fails the test instead of holding up the suite.
TEST(ReadFailures, CountsThatCostNothingAreNotWalked) {
    std::string text = "ply\nformat ascii 1.0\n";
    for (int k = 0; k < 1000; ++k) text += "element empty" + std::to_string(k) + " 715827882\n";
    text +=
        "element vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
        "element face 1\nproperty list uchar int vertex_indices\nend_header\n"
        "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n";
    const std::string path = writeScratch("empty_elements.ply", text);
    const ChildResult child = runInChild([&] {
        alarm(20);
        const ReadResult r = readMesh(path);
        std::exit(r.ok && r.V.rows() == 3 && r.F.rows() == 1 ? 0 : 1);
    });
    EXPECT_EQ(child.exitStatus, 0) << "the read stalled or failed";
}

// A (sparse) file larger than memory is refused before a byte is read, and a
// file whose mesh does not fit beside it is refused when memory runs out.
TEST(ReadFailures, FilesLargerThanMemory) {
    const std::string big = writeScratch("big.off", "OFF\n3 1 0\n");
    std::filesystem::resize_file(big, 1ull << 42);
    EXPECT_TRUE(failedWithOneLine(readMesh(big), big, "GB, more than the"));
    REQUIRE_ADDRESS_LIMIT();
    std::string text = "OFF\n2000000 1 0\n";  // 12 MB that would parse into 48
    for (int i = 0; i < 2000000; ++i) text += "0 0 0\n";
    const std::string path = writeScratch("many.off", text + "3 0 1 2\n");
    ChildResult child = runInChild([&] {
        limitAddressSpace(4 << 20);
        const ReadResult r = readMesh(path);
        std::printf("%s", r.err.c_str());
        std::exit(failedWithOneLine(r, path, "not enough memory") ? 0 : 1);
    });
    EXPECT_EQ(child.exitStatus, 0) << child.out;
}

}  // namespace
