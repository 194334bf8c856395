#include "render_scene.h"

using MeshLoad = RenderScene;
static const std::string data = MORVIK_SOURCE_DIR "/tests/render_frame/data/";

TEST_F(MeshLoad, PlacementFollowsTheFileAndSurvivesOneWithoutVertices) {
    EXPECT_EQ(load(data + "cube.off"),
              "Mesh radius = 0.866025, center is (0.500000 , 0.500000 , 0.500000)\n");
    EXPECT_EQ(r.modelMatrix, glm::mat4(1.0f));
    for (Eigen::Index f = 0; f < r.F.rows() * 3; ++f)  // every corner lies in some cell
        EXPECT_TRUE(std::any_of(r.meshCells.begin(), r.meshCells.end(), [&](const MeshCell& c) {
            const Eigen::Array3f v = r.V.row(r.F(f % r.F.rows(), f / r.F.rows())).cast<float>();
            return (v >= Eigen::Array3f(c.lo)).all() && (v <= Eigen::Array3f(c.hi)).all();
        }));
    int next = 0;  // the runs cover the triangles in order, each within its run's cell
    for (const MeshRun& run : r.meshRuns) {
        EXPECT_TRUE(run.first == next && run.count > 0);
        const MeshCell& c = r.meshCells.at(run.cell);
        next += run.count;
        for (int f = run.first; f < next; ++f)
            for (int k = 0; k < 3; ++k) {
                const Eigen::Array3f v = r.V.row(r.F(f, k)).cast<float>();
                EXPECT_TRUE((v >= Eigen::Array3f(c.lo)).all() && (v <= Eigen::Array3f(c.hi)).all());
            }
    }
    EXPECT_EQ(next, r.F.rows());
    EXPECT_EQ(load(data + "empty.off"), "");  // placement kept (no NaN); the driver says why
    EXPECT_TRUE(r.meshRadius == 0.8660254f && r.modelMatrix == glm::mat4(1.0f));
    r.normalizeOnLoad = true;
    EXPECT_EQ(load(data + "box211.off"),
              "Mesh radius = 3.061862, center is (1.000000 , 0.500000 , 0.500000)\n");
    EXPECT_EQ(r.modelMatrix, glm::mat4(glm::mat3(2.5f)));
    load(data + "point.off");
    EXPECT_EQ(r.modelMatrix, glm::mat4(1.0f)) << "a box without extent normalised to infinity";
    r.centerOnLoad = true;
    EXPECT_TRUE(r.loadMeshFile(data + "box211.off") && r.meshCenter[0] == 1.0f);
    EXPECT_NEAR(glm::length(glm::vec3(r.modelMatrix * glm::vec4(1.0f, 0.5f, 0.5f, 1.0f))), 0,
                1e-6f);
}

// Two triangles folded along an edge, each with its own copies of it: the
// buffers hold the merged mesh, and the fold's vertices (0 and 1) share one
// normal between the faces' (0, 0, 1) and (0, 0.71, 0.71); vertex 2 keeps its face's.
TEST_F(MeshLoad, DuplicatedVerticesUploadMergedAndSmooth) {
    EXPECT_NE(load(data + "fold.off").find("new mesh has 4 vertices and 2 faces\n"),
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
    float n[9];
    glGetNamedBufferSubData(r.normalVbo, 0, sizeof n, n);
    EXPECT_TRUE(n[1] > 0.1f && n[1] < 0.6f && n[4] > 0.1f && n[4] < 0.6f && n[7] == 0.0f);
}

TEST_F(MeshLoad, AFailedLoadAfterAGoodOneLeavesAnEmptyMesh) {
    for (const char* bad : {"missing.off", "broken.off"}) {
        load(data + "cube.off");
        r.endpoints = {0, 6};
        EXPECT_EQ(load(data + bad, false), "ERROR: Failed to load mesh\n");
        EXPECT_TRUE(r.V.rows() + r.F.rows() == 0 && r.endpoints.empty()) << bad;
    }
}
