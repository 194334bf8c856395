// Every text format and variant on small files whose contents are known.

#include <gtest/gtest.h>

#include <Eigen/Geometry>

#include "geometry/read_triangle_mesh.h"
#include "reader_files.h"

namespace {

const Eigen::MatrixXd square = pointRows({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});

TEST(ReadObj, CornerFormsNegativeIndicesAndFans) {
    std::string path = writeFile("forms.obj",
                                 "# a square, a triangle and a pentagon\n"
                                 "mtllib none.mtl\n"
                                 "v 0 0 0\nv 1 0 0 1.0\n"  // an optional w is ignored
                                 "v 1 1 0 0.5 0.5 0.5\n"   // and so are vertex colours
                                 "v 0 1 0\n"
                                 "vt 0 0\nvn 0 0 1\n"
                                 "g square\ns off\n"
                                 "f 1/1/1 2/1/1 3/1/1 4/1/1\n"
                                 "f 1//1 2//1 3//1\n"
                                 "f -4/1 -3/1 -1/1\n"
                                 "f 1 2 3 4 1\r\n");
    ReadResult r = readMesh(path);
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(sameMatrix(r.V, square));
    EXPECT_TRUE(sameMatrix(
        r.F,
        faceRows({{0, 1, 2}, {0, 2, 3}, {0, 1, 2}, {0, 1, 3}, {0, 1, 2}, {0, 2, 3}, {0, 3, 0}})));
}

TEST(ReadObj, NegativeIndicesCountFromTheVerticesReadSoFar) {
    std::string path = writeFile("relative.obj",
                                 "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -3 -2 -1\n"
                                 "v 5 5 5\nv 6 5 5\nv 5 6 5\nf -3 -2 -1\n");
    ReadResult r = readMesh(path);
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_TRUE(sameMatrix(r.F, faceRows({{0, 1, 2}, {3, 4, 5}})));
}

TEST(ReadOff, HeaderVariantsCommentsAndPolygons) {
    const char* body =
        "# vertices\n"
        "0 0 0 EXTRA\n\n1 0 0 EXTRA\n"
        "1 1 0 EXTRA\n"
        "# faces\n"
        "0 1 0 EXTRA\n"
        "4 0 1 2 3 255 0 0\n";
    struct Variant {
        const char* name;
        const char* header;
        const char* extra;
    } variants[] = {{"plain", "OFF\n4 1 0\n", ""},
                    {"counts on the header line", "OFF 4 1 4\n", ""},
                    {"comment before the counts", "OFF\n# counts\n\n4 1 0\n", ""},
                    {"no edge count", "OFF\n4 1\n", ""},
                    {"colours", "COFF\n4 1 0\n", " 0.5 0.5 0.5 1"},
                    {"normals", "NOFF\n4 1 0\n", " 0 0 1"},
                    {"windows line ends", "OFF\r\n4 1 0\r\n", "\r"}};
    for (const Variant& v : variants) {
        std::string text = std::string(v.header) + body;
        for (std::size_t at; (at = text.find("EXTRA")) != std::string::npos;)
            text.replace(at, 5, v.extra);
        ReadResult r = readMesh(writeFile("variant.off", text));
        ASSERT_TRUE(r.ok) << v.name << ": " << r.err;
        EXPECT_TRUE(sameMatrix(r.V, square)) << v.name;
        EXPECT_TRUE(sameMatrix(r.F, faceRows({{0, 1, 2}, {0, 2, 3}}))) << v.name;
    }
}

TEST(ReadOff, ExtensionIsMatchedWithoutRegardToCaseAndFloatsAreRead) {
    std::string path = writeFile("UPPER.OfF", "OFF\n3 1 0\n0.25 -1e-3 +2\n1 0 0\n0 1 0\n3 0 1 2\n");
    ReadResult r = readMesh(path);
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(r.V(0, 0), 0.25);
    EXPECT_EQ(r.V(0, 1), -1e-3);
    EXPECT_EQ(r.V(0, 2), 2.0);

    Eigen::MatrixXf Vf;
    Eigen::MatrixXi Ff;
    ASSERT_TRUE(geometry::read_triangle_mesh(path, Vf, Ff));
    EXPECT_TRUE(sameMatrix(Vf, r.V.cast<float>()));
    EXPECT_TRUE(sameMatrix(Ff, r.F));
}

TEST(ReadOff, EmptyButWellFormedGivesEmptyMatrices) {
    ReadResult r = readMesh(writeFile("nothing.off", "OFF\n0 0 0\n"));
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(r.V.rows(), 0);
    EXPECT_EQ(r.F.rows(), 0);
}

TEST(ReadStl, AsciiFacetsKeepTheirOwnVertices) {
    std::string path = writeFile("two.stl",
                                 "solid two facets\n"
                                 "  facet normal 0 0 1\n    outer loop\n"
                                 "      vertex 0 0 0\n      vertex 1 0 0\n      vertex 1 1 0\n"
                                 "    endloop\n  endfacet\n"
                                 "  FACET NORMAL 0 0 1\n    OUTER LOOP\n"
                                 "      VERTEX 0 0 0\n      VERTEX 1 1 0\n      VERTEX 0 1 0\n"
                                 "    ENDLOOP\n  ENDFACET\n"
                                 "endsolid two facets\n"
                                 "solid second\nendsolid second\n");
    ReadResult r = readMesh(path);
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_TRUE(sameMatrix(
        r.V, pointRows({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 0, 0}, {1, 1, 0}, {0, 1, 0}})));
    EXPECT_TRUE(sameMatrix(r.F, faceRows({{0, 1, 2}, {3, 4, 5}})));
}

TEST(ReadWrl, IndexedFaceSetsWithTheirOwnPoints) {
    std::string path = writeFile("shapes.wrl",
                                 "#VRML V2.0 utf8\n"
                                 "WorldInfo { title \"a { tricky ] title\" }\n"
                                 "Transform { children [\n"
                                 " Shape { geometry IndexedFaceSet {\n"
                                 "  coord DEF C Coordinate { point [ 0 0 0, 1 0 0, 1 1 0,\n"
                                 "                                   0 1 0 ] }\n"
                                 "  texCoord TextureCoordinate { point [ 0 0, 1 0, 1 1, 0 1 ] }\n"
                                 "  coordIndex [ 0, 1, 2, -1, 0, 2, 3 ] # no closing -1\n"
                                 "  texCoordIndex [ 0, 1, 2, -1 ]\n"
                                 " } }\n"
                                 " Shape { geometry IndexedFaceSet {\n"
                                 "  coordIndex [ 0 1 2 3 -1 ]\n"  // indices before the points
                                 "  coord Coordinate { point [ 5 0 0 6 0 0 6 1 0 5 1 0 ] }\n"
                                 " } }\n"
                                 "] }\n");
    ReadResult r = readMesh(path);
    ASSERT_TRUE(r.ok) << r.err;
    ASSERT_EQ(r.V.rows(), 8);
    EXPECT_TRUE(sameMatrix(Eigen::MatrixXd(r.V.topRows(4)), square));
    EXPECT_EQ(r.V(4, 0), 5.0);
    EXPECT_TRUE(sameMatrix(r.F, faceRows({{0, 1, 2}, {0, 2, 3}, {4, 5, 6}, {4, 6, 7}})));
}

TEST(ReadWrl, VrmlOneCoordinatesBeforeTheFaceSet) {
    std::string path = writeFile("one.wrl",
                                 "#VRML V1.0 ascii\nSeparator {\n"
                                 " Coordinate3 { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }\n"
                                 " IndexedFaceSet { coordIndex [ 0, 1, 2, 3, -1 ] }\n}\n");
    ReadResult r = readMesh(path);
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_TRUE(sameMatrix(r.V, square));
    EXPECT_TRUE(sameMatrix(r.F, faceRows({{0, 1, 2}, {0, 2, 3}})));
}

const char* meditVertices =
    "MeshVersionFormatted 2\n# a comment\nDIMENSION\n3\n"
    "Vertices\n5\n0 0 0 1\n1 0 0 1\n0 1 0 1\n0 0 1 1\n1 1 1 2\n";

TEST(ReadMedit, TrianglesAreOneBasedAndOtherSectionsArePassedOver) {
    std::string text = std::string(meditVertices) +
                       "Edges\n1\n1 2 0\nTriangles\n2\n1 2 3 7\n1 3 4 7\n"
                       "Tetrahedra\n1\n1 2 3 4 0\nCorners\n1\n1\nEnd\n";
    ReadResult r = readMesh(writeFile("tris.mesh", text));
    ASSERT_TRUE(r.ok) << r.err;
    ASSERT_EQ(r.V.rows(), 5);
    EXPECT_EQ(r.V(4, 2), 1.0);
    EXPECT_TRUE(sameMatrix(r.F, faceRows({{0, 1, 2}, {0, 2, 3}})));
}

// With only tetrahedra the surface is the set of faces that one tetrahedron
// alone owns, each turned away from it, whatever the tetrahedron's winding.
TEST(ReadMedit, TetrahedraGiveTheirOutwardBoundaryFaces) {
    for (const char* tets : {"1\n1 2 3 4 0\n", "1\n1 3 2 4 0\n", "2\n1 2 3 4 0\n2 3 4 5 0\n"}) {
        std::string text = std::string(meditVertices) + "Tetrahedra\n" + tets + "End\n";
        ReadResult r = readMesh(writeFile("tets.mesh", text));
        ASSERT_TRUE(r.ok) << r.err;
        const bool two = tets[0] == '2';
        ASSERT_EQ(r.F.rows(), two ? 6 : 4) << tets;
        Eigen::RowVector3d centre = r.V.topRows(two ? 5 : 4).colwise().mean();
        for (int f = 0; f < r.F.rows(); ++f) {
            Eigen::RowVector3d a = r.V.row(r.F(f, 0)), b = r.V.row(r.F(f, 1)),
                               c = r.V.row(r.F(f, 2));
            Eigen::RowVector3d normal = (b - a).cross(c - a);
            // Every vertex sits on a convex hull here, so outward means away from the centre.
            EXPECT_GT(normal.dot((a + b + c) / 3 - centre), 0) << tets << " face " << f;
        }
        if (two) {
            for (int f = 0; f < r.F.rows(); ++f) {  // the shared face 2 3 4 is gone
                std::array<int, 3> corners = {r.F(f, 0), r.F(f, 1), r.F(f, 2)};
                std::sort(corners.begin(), corners.end());
                EXPECT_NE(corners, (std::array<int, 3>{1, 2, 3}));
            }
        }
    }
}

}  // namespace
