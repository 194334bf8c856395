// The mesh readers: every format and its variants on small files whose meshes
// are known, and paths and files that cannot be read, each of which gives
// false, empty matrices and one line on standard error naming the file, and
// never crashes, hangs or aborts.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Eigen/Geometry>
#include <filesystem>
#include <fstream>

#include "child_process.h"
#include "geometry/read_triangle_mesh.h"
#include "scratch_dir.h"

namespace {

std::string scratch(const std::string& name) {
    static const ScratchDir dir("morvik-readers");
    return dir.file(name);
}
std::string writeScratch(const std::string& name, const std::string& contents) {
    return writeFile(scratch(name), contents);
}

struct ReadResult {
    bool ok = false;
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    std::string err;  // what the reader wrote to standard error
};

ReadResult readMesh(const std::string& path) {
    ReadResult r;
    testing::internal::CaptureStderr();
    r.ok = geometry::read_triangle_mesh(path, r.V, r.F);
    r.err = testing::internal::GetCapturedStderr();
    return r;
}

// Three-column matrices written row by row.
template <typename Scalar>
Eigen::Matrix<Scalar, -1, -1> rows3(std::initializer_list<Scalar> values) {
    return Eigen::Map<const Eigen::Matrix<Scalar, -1, 3, Eigen::RowMajor>>(values.begin(),
                                                                           values.size() / 3, 3);
}

template <typename A, typename B>
testing::AssertionResult same(const A& got, const B& want) {
    if (got.rows() == want.rows() && got.cols() == want.cols() && got == want)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "got\n" << got << "\nexpected\n" << want;
}

const std::string valid = MORVIK_SOURCE_DIR "/tests/geometry_readers/data/valid/";
const Eigen::MatrixXd square = rows3<double>({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
const Eigen::MatrixXi squareFan = rows3<int>({0, 1, 2, 0, 2, 3});

// OBJ corner forms, relative indices and ignored lines; ascii STL of two
// solids in either letter case, binary STL told by its size even under a
// "solid" header (facets keep their own vertices); VRML 2 and 1 with indices
// before their points; OFF's header variants, comments, polygons, signs and
// exponents, an extension in any case; Medit's 1-based triangles among other
// sections; PLY with other properties and elements, in ascii and binary of
// both byte orders with the numeric types that its name lists.
TEST(ReadFormats, CommittedFilesOfEveryFormat) {
    // The mesh that each group of files holds.
    const std::tuple<Eigen::MatrixXd, Eigen::MatrixXi, std::vector<std::string>> groups[] = {
        {rows3<double>({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 5, 5, 5, 6, 5, 5, 5, 6, 5}),
         rows3<int>({0, 1, 2, 0, 2, 3, 0, 1, 2, 0, 1, 3, 0, 1, 2, 0, 2, 3, 0, 3, 0, 4, 5, 6}),
         {"forms.obj"}},
        {rows3<double>({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0}),
         rows3<int>({0, 1, 2, 3, 4, 5}),
         {"two.stl", "two_binary.stl", "two_binary_solid_header.stl"}},
        {rows3<double>({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 5, 0, 0, 6, 0, 0, 6, 1, 0, 5, 1, 0}),
         rows3<int>({0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7}),
         {"shapes.wrl"}},
        {square,
         squareFan,
         {"one.wrl", "square_counts_on_header_line.off", "square_comment_before_counts.off",
          "square_no_edge_count.off", "square_colours.off", "square_normals.off", "square_crlf.off",
          "square_signs_exponents.OfF"}},
        {rows3<double>({0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 1}), squareFan, {"tris.mesh"}},
        {rows3<double>({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, -2}),
         rows3<int>({0, 1, 2, 0, 2, 3, 3, 2, 1}),
         {"square.ply", "square_le_float_uchar_int.ply", "square_be_float_uchar_int.ply",
          "square_le_double_int_uint.ply", "square_be_float64_uint16_int16.ply",
          "square_le_int16_int8_uint8.ply", "square_be_int_uint_uint32.ply"}}};
    for (const auto& [V, F, files] : groups) {
        for (const std::string& file : files) {
            ReadResult r = readMesh(valid + file);
            ASSERT_TRUE(r.ok) << file << ": " << r.err;
            EXPECT_EQ(r.err, "") << file;
            EXPECT_TRUE(same(r.V, V) && same(r.F, F)) << file;
        }
    }
}

// With only tetrahedra the surface is the faces that one tetrahedron alone
// owns, each turned away from it, whatever its winding; given triangles win.
TEST(ReadFormats, MeditTetrahedraGiveTheirOutwardBoundary) {
    const std::string vertices =
        "MeshVersionFormatted 1\nDimension 3\nVertices\n5\n"
        "0 0 0 0\n1 0 0 0\n0 1 0 0\n0 0 1 0\n1 1 1 0\n";
    for (const char* tets : {"1\n1 2 3 4 0\n", "1\n1 3 2 4 0\n", "2\n1 2 3 4 0\n2 3 4 5 0\n"}) {
        for (const char* triangles : {"", "Triangles\n0\n"}) {
            ReadResult r = readMesh(
                writeScratch("tets.mesh", vertices + triangles + "Tetrahedra\n" + tets + "End\n"));
            ASSERT_TRUE(r.ok) << r.err;
            const bool two = tets[0] == '2';
            ASSERT_EQ(r.F.rows(), two ? 6 : 4) << tets;  // two lose their shared face
            // Every vertex lies on the convex hull, so outward is away from the centre.
            const Eigen::RowVector3d centre = r.V.topRows(two ? 5 : 4).colwise().mean();
            for (int f = 0; f < r.F.rows(); ++f) {
                Eigen::RowVector3d a = r.V.row(r.F(f, 0)), b = r.V.row(r.F(f, 1)),
                                   c = r.V.row(r.F(f, 2));
                EXPECT_GT((b - a).cross(c - a).dot((a + b + c) / 3 - centre), 0) << tets << f;
            }
        }
    }
    ReadResult r = readMesh(
        writeScratch("both.mesh", vertices + "Triangles\n1\n1 2 3 0\nTetrahedra\n1\n1 2 3 4 0\n"));
    EXPECT_TRUE(same(r.F, rows3<int>({0, 1, 2})));
}

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
    EXPECT_EQ(files, 64);
    // A double that a float cannot hold, of either sign, is refused by the
    // single-precision read only.
    Eigen::MatrixXf V;
    Eigen::MatrixXi F;
    for (const std::string value : {"1e+300", "-1e+300"}) {
        const std::string huge =
            writeScratch("huge.off", "OFF\n3 1 0\n0 0 0\n" + value + " 0 0\n0 1 0\n3 0 1 2\n");
        testing::internal::CaptureStderr();
        EXPECT_FALSE(geometry::read_triangle_mesh(huge, V, F));
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "Error: " + huge + ": coordinate " + value + " is beyond single precision\n");
        EXPECT_TRUE(readMesh(huge).ok);
    }
    ASSERT_TRUE(geometry::read_triangle_mesh(valid + "square_signs_exponents.OfF", V, F));
    EXPECT_TRUE(same(V, square.cast<float>()) && same(F, squareFan));
    const ReadResult nothing = readMesh(writeScratch("nothing.off", "OFF\n0 0 0\n"));
    EXPECT_TRUE(nothing.ok && nothing.V.rows() + nothing.F.rows() == 0);  // a valid empty mesh
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
