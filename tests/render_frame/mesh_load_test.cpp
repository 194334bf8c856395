// Loading a mesh file: placement and its console line, the duplicate merge
// reaching the GPU, and the failure paths.
#include "frame_fixture.h"

namespace {

struct LoadResult {
    bool ok;
    std::string out;
};

LoadResult loadCapturing(const std::string& name) {
    testing::internal::CaptureStdout();
    const bool ok = renderer.loadMeshFile(dataFile(name));
    return {ok, testing::internal::GetCapturedStdout()};
}

GLint bufferSize(GLenum target, GLuint buffer) {
    GLint size = -1;
    if (buffer != 0) glBindBuffer(target, buffer);
    glGetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
    return size;
}

}  // namespace

using MeshLoad = FrameTest;

TEST_F(MeshLoad, PlacementOfTheUnitCubeAndTheNormalisedBox) {
    EXPECT_EQ(loadCapturing("cube.off").out,
              "Mesh radius = 0.866025, center is (0.500000 , 0.500000 , 0.500000)\n");
    EXPECT_EQ(renderer.modelMatrix, glm::mat4(1.0f));

    renderer.normalizeOnLoad = true;
    EXPECT_EQ(loadCapturing("box211.off").out,
              "Mesh radius = 3.061862, center is (1.000000 , 0.500000 , 0.500000)\n");
    EXPECT_EQ(renderer.modelMatrix, glm::mat4(glm::mat3(2.5f)));

    // Centring moves the box centre to the origin; meshCenter stays the file's.
    renderer.centerOnLoad = true;
    ASSERT_TRUE(loadCapturing("box211.off").ok);
    EXPECT_EQ(renderer.meshCenter[0], 1.0f);
    const glm::vec4 centre = renderer.modelMatrix * glm::vec4(1.0f, 0.5f, 0.5f, 1.0f);
    EXPECT_NEAR(glm::length(glm::vec3(centre)), 0.0f, 1e-6f);
}

TEST_F(MeshLoad, DuplicatedVerticesUploadMergedAndSmooth) {
    // Two triangles folded along an edge, each with its own copies of it.
    LoadResult r = loadCapturing("fold.off");
    ASSERT_TRUE(r.ok);
    EXPECT_NE(r.out.find("Removed duplicate vertices, new mesh has 4 vertices and 2 faces\n"),
              std::string::npos);
    EXPECT_EQ(bufferSize(GL_ARRAY_BUFFER, renderer.positionVbo), 4 * 12);
    EXPECT_EQ(bufferSize(GL_ARRAY_BUFFER, renderer.paramVbo), 4 * 8);
    glBindVertexArray(renderer.meshVao);
    EXPECT_EQ(bufferSize(GL_ELEMENT_ARRAY_BUFFER, 0), 2 * 12);
    glBindVertexArray(0);

    // The fold's vertices (0 and 1) share one normal between the faces'
    // normals (0, 0, 1) and (0, 0.71, 0.71); vertex 2 keeps its face's.
    float n[12];
    glBindBuffer(GL_ARRAY_BUFFER, renderer.normalVbo);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof n, n);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    for (int v : {0, 1}) EXPECT_TRUE(n[3 * v + 1] > 0.1f && n[3 * v + 1] < 0.6f) << v;
    EXPECT_NEAR(n[7], 0.0f, 1e-5f);
}

TEST_F(MeshLoad, AFailedLoadAfterAGoodOneLeavesAnEmptyMesh) {
    for (const char* bad : {"missing.off", "broken.off"}) {
        ASSERT_TRUE(loadCapturing("cube.off").ok);
        renderer.endpoints = {0, 6};
        LoadResult r = loadCapturing(bad);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.out, "ERROR: Failed to load mesh\n");
        EXPECT_EQ(renderer.V.rows() + renderer.F.rows(), 0) << bad;
        EXPECT_TRUE(renderer.endpoints.empty()) << bad;
    }
}

TEST_F(MeshLoad, AMeshWithoutVerticesKeepsThePreviousPlacement) {
    ASSERT_TRUE(loadCapturing("cube.off").ok);
    LoadResult empty = loadCapturing("empty.off");
    ASSERT_TRUE(empty.ok) << empty.out;
    EXPECT_NE(empty.out.find("WARNING: "), std::string::npos);
    EXPECT_FLOAT_EQ(renderer.meshRadius, 0.8660254f);
    EXPECT_EQ(renderer.modelMatrix, glm::mat4(1.0f));

    // A box without extent is not normalised to infinity.
    renderer.normalizeOnLoad = true;
    ASSERT_TRUE(loadCapturing("point.off").ok);
    EXPECT_EQ(renderer.modelMatrix, glm::mat4(1.0f));
}
