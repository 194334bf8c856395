// Paths and files that cannot be read: each read gives false, empty matrices
// and one line on standard error naming the file, and never crashes.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "child_process.h"
#include "reader_files.h"

namespace {

TEST(ReadFailures, PathsThatCannotBeOpenedOrHaveNoReader) {
    const std::string folder = scratchDir() + "/folder.off", pipe = scratchDir() + "/pipe.off";
    mkdir(folder.c_str(), 0755);
    for (const std::string& path : {scratchDir() + "/no such file.off", folder})
        EXPECT_EQ(readMesh(path).err, "IOError: " + path + " could not be opened...\n");
    EXPECT_FALSE(readMesh("/dev/zero").ok);  // would never end if it were read

    // Opening a named pipe would wait for a writer that never comes; in a
    // child, so that a regression shows as a timeout, not a stuck suite.
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    ChildResult child = runInChild([&] {
        Eigen::MatrixXd V;
        Eigen::MatrixXi F;
        std::exit(geometry::read_triangle_mesh(pipe, V, F) ? 1 : 0);
    });
    EXPECT_EQ(child.exitStatus, 0);
    EXPECT_EQ(child.err, "IOError: " + pipe + " could not be opened...\n");

    ReadResult r = readMesh(writeScratch("model.Xyz", "OFF\n0 0 0\n"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.err, "Error: unknown extension: xyz\n");
    EXPECT_EQ(readMesh(writeScratch("no_extension", "OFF\n0 0 0\n")).err,
              "Error: unknown extension: \n");
    mkdir((scratchDir() + "/dotted.off").c_str(), 0755);
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
        const ReadResult r = readMesh(dir + name);
        EXPECT_TRUE(failedWithOneLine(r, dir + name)) << name;
        EXPECT_NE(r.err.find(word.substr(1)), std::string::npos) << name << ": " << r.err;
    }
    EXPECT_EQ(files, 55);
}

// A double that a float cannot hold is refused by the single-precision read
// only.
TEST(ReadFailures, SinglePrecisionOverflow) {
    const std::string path =
        writeScratch("huge.off", "OFF\n3 1 0\n0 0 0\n1e300 0 0\n0 1 0\n3 0 1 2\n");
    Eigen::MatrixXf V;
    Eigen::MatrixXi F;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(geometry::read_triangle_mesh(path, V, F));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(path), std::string::npos);
    EXPECT_NE(err.find("single precision"), std::string::npos) << err;
    EXPECT_TRUE(readMesh(path).ok);
}

}  // namespace
