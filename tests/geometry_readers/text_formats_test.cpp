// The text formats and their variants, on small files whose contents are known.

#include <gtest/gtest.h>

#include <Eigen/Geometry>
#include <sstream>

#include "reader_files.h"

namespace {

const std::string data = MORVIK_SOURCE_DIR "/tests/geometry_readers/data/valid/";
const Eigen::MatrixXd square = rows3<double>({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
const Eigen::MatrixXi squareFan = rows3<int>({0, 1, 2, 0, 2, 3});

TEST(ReadObj, CornerFormsRelativeIndicesFansAndIgnoredLines) {
    ReadResult r = readMesh(data + "forms.obj");
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(same(Eigen::MatrixXd(r.V.topRows(4)), square));
    EXPECT_TRUE(same(
        r.F, rows3<int>({0, 1, 2, 0, 2, 3, 0, 1, 2, 0, 1, 3, 0, 1, 2, 0, 2, 3, 0, 3, 0, 4, 5, 6})));
}

TEST(ReadOff, HeaderVariantsCommentsAndPolygons) {
    const std::string body = "# vertices\n0 0 0X\n\n1 0 0X\n1 1 0X\n# faces\n0 1 0X\n4 0 1 2 3 9\n";
    const char* variants[][2] = {{"OFF\n4 1 0\n", ""},
                                 {"OFF 4 1 4\n", ""},
                                 {"OFF\n# n\n\n4 1 0\n", ""},
                                 {"OFF\n4 1\n", ""},
                                 {"COFF\n4 1 0\n", " 0.5 0.5 0.5 1"},
                                 {"NOFF\n4 1 0\n", " 0 0 1"},
                                 {"OFF\r\n4 1 0\r\n", "\r"}};
    for (const auto& [header, extra] : variants) {
        std::string text = header + body;
        for (std::size_t at; (at = text.find('X')) != std::string::npos;)
            text.replace(at, 1, extra);
        ReadResult r = readMesh(writeScratch("variant.off", text));
        ASSERT_TRUE(r.ok) << text << r.err;
        EXPECT_TRUE(same(r.V, square)) << text;
        EXPECT_TRUE(same(r.F, squareFan)) << text;
    }
}

TEST(ReadOff, ExtensionInAnyCaseSinglePrecisionAndEmptyMeshes) {
    std::string path =
        writeScratch("UPPER.OfF", "OFF\n3 1 0\n0.25 -1e-3 +2\n1 0 0\n0 1 0\n3 0 1 2\n");
    ReadResult r = readMesh(path);
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(r.V.row(0), Eigen::RowVector3d(0.25, -1e-3, 2.0));
    Eigen::MatrixXf Vf;
    Eigen::MatrixXi Ff;
    ASSERT_TRUE(geometry::read_triangle_mesh(path, Vf, Ff));
    EXPECT_TRUE(same(Vf, r.V.cast<float>()));
    EXPECT_TRUE(same(Ff, r.F));
    r = readMesh(writeScratch("nothing.off", "OFF\n0 0 0\n"));
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(r.V.rows() + r.F.rows(), 0);
}

TEST(ReadStl, AsciiFacetsKeepTheirOwnVertices) {
    ReadResult r = readMesh(data + "two.stl");
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_TRUE(same(r.V, rows3<double>({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0})));
    EXPECT_TRUE(same(r.F, rows3<int>({0, 1, 2, 3, 4, 5})));
}

TEST(ReadWrl, IndexedFaceSetsInVrmlTwoAndOne) {
    ReadResult r = readMesh(data + "shapes.wrl");
    ASSERT_TRUE(r.ok) << r.err;
    ASSERT_EQ(r.V.rows(), 8);
    EXPECT_TRUE(same(Eigen::MatrixXd(r.V.topRows(4)), square));
    EXPECT_EQ(r.V(4, 0), 5.0);
    EXPECT_TRUE(same(r.F, rows3<int>({0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7})));
    r = readMesh(data + "one.wrl");
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_TRUE(same(r.V, square));
    EXPECT_TRUE(same(r.F, squareFan));
}

TEST(ReadMedit, TrianglesAreOneBasedAndOtherSectionsArePassedOver) {
    ReadResult r = readMesh(data + "tris.mesh");
    ASSERT_TRUE(r.ok) << r.err;
    ASSERT_EQ(r.V.rows(), 5);
    EXPECT_EQ(r.V(4, 2), 1.0);
    EXPECT_TRUE(same(r.F, squareFan));
}

// With only tetrahedra the surface is the faces that one tetrahedron alone
// owns, each turned away from it, whatever the tetrahedron's winding.
TEST(ReadMedit, TetrahedraGiveTheirOutwardBoundaryFaces) {
    std::stringstream file;
    file << std::ifstream(data + "tris.mesh").rdbuf();
    const std::string vertices = file.str().substr(0, file.str().find("Edges"));
    for (const char* tets : {"1\n1 2 3 4 0\n", "1\n1 3 2 4 0\n", "2\n1 2 3 4 0\n2 3 4 5 0\n"}) {
        ReadResult r =
            readMesh(writeScratch("tets.mesh", vertices + "Tetrahedra\n" + tets + "End\n"));
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

}  // namespace
