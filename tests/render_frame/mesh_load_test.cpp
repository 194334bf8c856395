// Loading a mesh file: placement and its console line, the duplicate merge
// reaching the GPU, and the failure paths.
#include <cmath>

#include "frame_fixture.h"
#include "test_meshes.h"

namespace {

const char* const unitCube =
    "OFF\n8 12 0\n"
    "0 0 0\n1 0 0\n1 1 0\n0 1 0\n0 0 1\n1 0 1\n1 1 1\n0 1 1\n"
    "3 0 2 1\n3 0 3 2\n3 4 5 6\n3 4 6 7\n3 0 1 5\n3 0 5 4\n"
    "3 1 2 6\n3 1 6 5\n3 2 3 7\n3 2 7 6\n3 3 0 4\n3 3 4 7\n";

// The unit cube stretched to 2 x 1 x 1.
std::string box211() {
    std::string text = unitCube;
    return "OFF\n8 12 0\n0 0 0\n2 0 0\n2 1 0\n0 1 0\n0 0 1\n2 0 1\n2 1 1\n0 1 1\n" +
           text.substr(text.find("3 0 2 1"));
}

struct LoadResult {
    bool ok;
    std::string out;
};

LoadResult loadCapturing(const std::string& path) {
    testing::internal::CaptureStdout();
    bool ok = renderer.loadMeshFile(path);
    fflush(stdout);
    return {ok, testing::internal::GetCapturedStdout()};
}

GLint bufferSize(GLuint buffer) {
    GLint size = -1;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return size;
}

std::vector<float> bufferFloats(GLuint buffer) {
    std::vector<float> data(bufferSize(buffer) / sizeof(float));
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, data.size() * sizeof(float), data.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return data;
}

}  // namespace

using MeshLoad = FrameTest;

TEST_F(MeshLoad, PlacementOfTheUnitCubeAndTheNormalisedBox) {
    LoadResult cube = loadCapturing(writeText("cube.off", unitCube));
    ASSERT_TRUE(cube.ok);
    EXPECT_EQ(cube.out, "Mesh radius = 0.866025, center is (0.500000 , 0.500000 , 0.500000)\n");
    EXPECT_EQ(renderer.meshScale, 1.0f);
    EXPECT_EQ(renderer.modelMatrix, glm::mat4(1.0f));
    EXPECT_EQ(renderer.normalMatrix, glm::mat3(1.0f));

    renderer.normalizeOnLoad = true;
    LoadResult box = loadCapturing(writeText("box211.off", box211()));
    ASSERT_TRUE(box.ok);
    EXPECT_EQ(box.out, "Mesh radius = 3.061862, center is (1.000000 , 0.500000 , 0.500000)\n");
    EXPECT_EQ(renderer.meshScale, 2.5f);
    EXPECT_EQ(renderer.modelMatrix, glm::mat4(glm::mat3(2.5f)));

    // Centring moves the box centre to the origin; meshCenter stays the file's.
    renderer.centerOnLoad = true;
    ASSERT_TRUE(loadCapturing(writeText("box211.off", box211())).ok);
    EXPECT_EQ(renderer.meshCenter[0], 1.0f);
    const glm::vec4 centre = renderer.modelMatrix * glm::vec4(1.0f, 0.5f, 0.5f, 1.0f);
    EXPECT_NEAR(glm::length(glm::vec3(centre)), 0.0f, 1e-6f);
}

TEST_F(MeshLoad, DuplicatedVerticesUploadMergedAndSmooth) {
    // Two triangles folded along a shared edge, each with its own copies.
    LoadResult r = loadCapturing(writeText(
        "fold.off", "OFF\n6 2 0\n0 0 0\n1 0 0\n0 1 0\n1 0 0\n0 0 0\n0.5 -1 1\n3 0 1 2\n3 3 4 5\n"));
    ASSERT_TRUE(r.ok);
    EXPECT_NE(r.out.find("Removed duplicate vertices, new mesh has 4 vertices and 2 faces\n"),
              std::string::npos);
    EXPECT_EQ(renderer.V.rows(), 4);
    EXPECT_EQ(bufferSize(renderer.positionVbo), 4 * 12);
    EXPECT_EQ(bufferSize(renderer.normalVbo), 4 * 12);
    EXPECT_EQ(bufferSize(renderer.paramVbo), 4 * 8);
    GLint indexBytes = 0;
    glBindVertexArray(renderer.meshVao);
    glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &indexBytes);
    glBindVertexArray(0);
    EXPECT_EQ(indexBytes, 2 * 12);

    // The shared edge's vertices carry one normal between both faces' normals.
    std::vector<float> n = bufferFloats(renderer.normalVbo);
    for (int v = 0; v < 4; ++v) {
        const Eigen::Vector3f nv(n[3 * v], n[3 * v + 1], n[3 * v + 2]);
        EXPECT_NEAR(nv.norm(), 1.0f, 1e-5f);
    }
    const Eigen::Vector3f face1(0, 0, 1), face2 = Eigen::Vector3f(0, 1, 1).normalized();
    int shared = 0;
    for (int v = 0; v < 4; ++v) {
        const Eigen::Vector3f nv(n[3 * v], n[3 * v + 1], n[3 * v + 2]);
        if (nv.dot(face1) < 0.999f && nv.dot(face2) < 0.999f) ++shared;
    }
    EXPECT_EQ(shared, 2);
}

TEST_F(MeshLoad, AFailedLoadAfterAGoodOneLeavesAnEmptyMesh) {
    ASSERT_TRUE(loadCapturing(writeText("cube.off", unitCube)).ok);
    renderer.endpoints = {0, 6};
    renderer.rootIndex = 6;
    const float radius = renderer.meshRadius;

    LoadResult missing = loadCapturing("/nonexistent/morvik/missing.off");
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.out, "ERROR: Failed to load mesh\n");
    EXPECT_EQ(renderer.V.rows(), 0);
    EXPECT_EQ(renderer.F.rows(), 0);
    EXPECT_TRUE(renderer.endpoints.empty());
    EXPECT_EQ(renderer.rootIndex, 0);
    EXPECT_EQ(renderer.meshRadius, radius);

    // A malformed file fails the same way; the empty view still draws.
    LoadResult broken = loadCapturing(writeText("broken.off", "OFF\n3 1 0\n0 0 0\n1 0\n"));
    EXPECT_FALSE(broken.ok);
    EXPECT_EQ(broken.out, "ERROR: Failed to load mesh\n");
    EXPECT_EQ(renderer.V.rows(), 0);
    drawFrame();
    const Rgba centre = pixel(100, 100);
    EXPECT_NEAR(centre.r, 0.5f, 1e-4f);
}

TEST_F(MeshLoad, AMeshWithoutVerticesKeepsThePreviousPlacement) {
    ASSERT_TRUE(loadCapturing(writeText("cube.off", unitCube)).ok);
    LoadResult empty = loadCapturing(writeText("empty.off", "OFF\n0 0 0\n"));
    ASSERT_TRUE(empty.ok) << empty.out;
    EXPECT_EQ(renderer.V.rows(), 0);
    EXPECT_NE(empty.out.find("WARNING: "), std::string::npos);
    EXPECT_FLOAT_EQ(renderer.meshRadius, 0.8660254f);
    EXPECT_EQ(renderer.meshCenter[0], 0.5f);
    EXPECT_EQ(renderer.meshScale, 1.0f);
    EXPECT_EQ(renderer.modelMatrix, glm::mat4(1.0f));
    drawFrame();  // no triangle to draw, no NaN anywhere
    EXPECT_NEAR(pixel(100, 100).g, 0.5f, 1e-4f);

    // A box without extent is not normalised to infinity.
    renderer.normalizeOnLoad = true;
    ASSERT_TRUE(
        loadCapturing(writeText("point.off", "OFF\n3 1 0\n1 2 3\n1 2 3\n1 2 3\n3 0 1 2\n")).ok);
    EXPECT_EQ(renderer.meshScale, 1.0f);
    EXPECT_EQ(renderer.modelMatrix, glm::mat4(1.0f));
}
