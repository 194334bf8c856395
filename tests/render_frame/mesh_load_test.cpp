// Loading a mesh file: placement and its console line, the duplicate merge
// reaching the GPU, and the failure paths.
#include "frame_fixture.h"

using MeshLoad = FrameTest;

TEST_F(MeshLoad, PlacementFollowsTheFileAndSurvivesOneWithoutVertices) {
    EXPECT_EQ(load(dataDir + "cube.off"),
              "Mesh radius = 0.866025, center is (0.500000 , 0.500000 , 0.500000)\n");
    EXPECT_EQ(r.modelMatrix, glm::mat4(1.0f));
    // A file without vertices keeps the placement (no NaN); the driver says why.
    EXPECT_EQ(load(dataDir + "empty.off"), "");
    EXPECT_FLOAT_EQ(r.meshRadius, 0.8660254f);
    EXPECT_EQ(r.modelMatrix, glm::mat4(1.0f));

    r.normalizeOnLoad = true;
    EXPECT_EQ(load(dataDir + "box211.off"),
              "Mesh radius = 3.061862, center is (1.000000 , 0.500000 , 0.500000)\n");
    EXPECT_EQ(r.modelMatrix, glm::mat4(glm::mat3(2.5f)));
    // A box without extent is not normalised to infinity.
    load(dataDir + "point.off");
    EXPECT_EQ(r.modelMatrix, glm::mat4(1.0f));

    // Centring moves the box centre to the origin; meshCenter stays the file's.
    r.centerOnLoad = true;
    load(dataDir + "box211.off");
    EXPECT_EQ(r.meshCenter[0], 1.0f);
    const glm::vec4 centre = r.modelMatrix * glm::vec4(1.0f, 0.5f, 0.5f, 1.0f);
    EXPECT_NEAR(glm::length(glm::vec3(centre)), 0.0f, 1e-6f);
}

TEST_F(MeshLoad, DuplicatedVerticesUploadMergedAndSmooth) {
    // Two triangles folded along an edge, each with its own copies of it.
    EXPECT_NE(load(dataDir + "fold.off")
                  .find("Removed duplicate vertices, new mesh has 4 vertices and 2 faces\n"),
              std::string::npos);
    auto size = [](GLuint buffer) {
        GLint bytes = -1;
        glGetNamedBufferParameteriv(buffer, GL_BUFFER_SIZE, &bytes);
        return bytes;
    };
    GLint indices = 0;  // the index buffer the mesh's vertex array holds
    glGetVertexArrayiv(r.meshVao, GL_ELEMENT_ARRAY_BUFFER_BINDING, &indices);
    EXPECT_EQ((std::vector{size(r.positionVbo), size(r.paramVbo), size(indices)}),
              (std::vector{4 * 12, 4 * 8, 2 * 12}));
    // The fold's vertices (0 and 1) share one normal between the faces'
    // normals (0, 0, 1) and (0, 0.71, 0.71); vertex 2 keeps its face's.
    float n[9];
    glGetNamedBufferSubData(r.normalVbo, 0, sizeof n, n);
    EXPECT_TRUE(n[1] > 0.1f && n[1] < 0.6f && n[4] > 0.1f && n[4] < 0.6f && n[7] == 0.0f);
}

TEST_F(MeshLoad, AFailedLoadAfterAGoodOneLeavesAnEmptyMesh) {
    for (const char* bad : {"missing.off", "broken.off"}) {
        load(dataDir + "cube.off");
        r.endpoints = {0, 6};
        EXPECT_EQ(load(dataDir + bad, false), "ERROR: Failed to load mesh\n");
        EXPECT_EQ(r.V.rows() + r.F.rows(), 0) << bad;
        EXPECT_TRUE(r.endpoints.empty()) << bad;
    }
}
