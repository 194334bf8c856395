// Every format and its variants, on small files whose meshes are known.
#include <Eigen/Geometry>

#include "reader_files.h"

namespace {

const std::string valid = MORVIK_SOURCE_DIR "/tests/geometry_readers/data/valid/";
const Eigen::MatrixXd square = rows3<double>({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
const Eigen::MatrixXi squareFan = rows3<int>({0, 1, 2, 0, 2, 3});

// OBJ corner forms, relative indices and ignored lines; ascii STL of two
// solids in either letter case, binary STL told by its size even under a
// "solid" header (facets keep their own vertices); VRML 2 and 1 with indices
// before their points; Medit's 1-based triangles among other sections; PLY
// with other properties and elements, in ascii and binary of both byte
// orders with the numeric types that its name lists.
TEST(ReadFormats, CommittedFilesOfEveryFormat) {
    const Eigen::MatrixXd plyV = rows3<double>({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, -2}),
                          stlV =
                              rows3<double>({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0});
    const Eigen::MatrixXi plyF = rows3<int>({0, 1, 2, 0, 2, 3, 3, 2, 1}),
                          stlF = rows3<int>({0, 1, 2, 3, 4, 5});
    const std::tuple<std::string, Eigen::MatrixXd, Eigen::MatrixXi> files[] = {
        {"forms.obj",
         rows3<double>({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 5, 5, 5, 6, 5, 5, 5, 6, 5}),
         rows3<int>({0, 1, 2, 0, 2, 3, 0, 1, 2, 0, 1, 3, 0, 1, 2, 0, 2, 3, 0, 3, 0, 4, 5, 6})},
        {"two.stl", stlV, stlF},
        {"two_binary.stl", stlV, stlF},
        {"two_binary_solid_header.stl", stlV, stlF},
        {"shapes.wrl",
         rows3<double>({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 5, 0, 0, 6, 0, 0, 6, 1, 0, 5, 1, 0}),
         rows3<int>({0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7})},
        {"one.wrl", square, squareFan},
        {"tris.mesh", rows3<double>({0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 1}), squareFan},
        {"square.ply", plyV, plyF},
        {"square_le_float_uchar_int.ply", plyV, plyF},
        {"square_be_float_uchar_int.ply", plyV, plyF},
        {"square_le_double_int_uint.ply", plyV, plyF},
        {"square_be_float64_uint16_int16.ply", plyV, plyF},
        {"square_le_int16_int8_uint8.ply", plyV, plyF},
        {"square_be_int_uint_uint32.ply", plyV, plyF}};
    for (const auto& [file, V, F] : files) {
        ReadResult r = readMesh(valid + file);
        ASSERT_TRUE(r.ok) << file << ": " << r.err;
        EXPECT_EQ(r.err, "") << file;
        EXPECT_TRUE(same(r.V, V)) << file;
        EXPECT_TRUE(same(r.F, F)) << file;
    }
}

TEST(ReadFormats, OffHeaderVariantsCommentsAndPolygons) {
    const std::string body = "# vertices\n0 0 0X\n\n1 0 0X\n1 1 0X\n# faces\n0 1 0X\n4 0 1 2 3 9\n";
    for (auto [header, extra] : {std::pair{"OFF\n4 1 0\n", ""},
                                 {"OFF 4 1 4\n", ""},
                                 {"OFF\n# n\n\n4 1 0\n", ""},
                                 {"OFF\n4 1\n", ""},
                                 {"COFF\n4 1 0\n", " 0.5 0.5 0.5 1"},
                                 {"NOFF\n4 1 0\n", " 0 0 1"},
                                 {"OFF\r\n4 1 0\r\n", "\r"}}) {
        std::string text = header + body;
        for (std::size_t at; (at = text.find('X')) != std::string::npos;)
            text.replace(at, 1, extra);
        ReadResult r = readMesh(writeScratch("variant.off", text));
        ASSERT_TRUE(r.ok) << text << r.err;
        EXPECT_TRUE(same(r.V, square)) << text;
        EXPECT_TRUE(same(r.F, squareFan)) << text;
    }
    // The extension in any case, signs and exponents, single precision, nothing at all.
    const std::string path =
        writeScratch("UPPER.OfF", "OFF\n3 1 0\n0.25 -1e-3 +2\n1 0 0\n0 1 0\n3 0 1 2\n");
    Eigen::MatrixXf V;
    Eigen::MatrixXi F;
    ASSERT_TRUE(geometry::read_triangle_mesh(path, V, F));
    EXPECT_EQ(V.row(0), Eigen::RowVector3f(0.25f, -1e-3f, 2.0f));
    ReadResult r = readMesh(writeScratch("nothing.off", "OFF\n0 0 0\n"));
    EXPECT_TRUE(r.ok && r.V.rows() + r.F.rows() == 0) << r.err;
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

}  // namespace
