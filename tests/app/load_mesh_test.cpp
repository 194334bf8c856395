// The mesh-loading driver on real meshes with a real GL context: console
// order, analysis results in the Renderer, U on the GPU, camera framing, and
// the failure paths (unreadable, empty, no endpoints).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "app/camera.h"
#include "app/load_mesh.h"
#include "geometry/read_triangle_mesh.h"
#include "gl_context.h"
#include "render/renderer.h"
#include "render/shader_program.h"

namespace fs = std::filesystem;

namespace {

std::string exampleMesh(const std::string& name) {
    return sourceAssetsDir() + "/example_meshes/" + name;
}

// Writes an OFF file of the mesh scaled about its box centre so that half its
// box diagonal (the loader's radius) is `radius`.
std::string scaledCopy(const std::string& source, double radius, const std::string& dir) {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    EXPECT_TRUE(geometry::read_triangle_mesh(source, V, F));
    Eigen::RowVector3d mn = V.colwise().minCoeff(), mx = V.colwise().maxCoeff();
    double s = radius / (0.5 * (mx - mn).norm());
    std::string path = dir + "/scaled_" + std::to_string(radius) + ".off";
    std::ofstream out(path);
    out.precision(17);
    out << "OFF\n" << V.rows() << " " << F.rows() << " 0\n";
    for (int i = 0; i < V.rows(); ++i) {
        Eigen::RowVector3d p = (V.row(i) - 0.5 * (mn + mx)) * s;
        out << p(0) << " " << p(1) << " " << p(2) << "\n";
    }
    for (int i = 0; i < F.rows(); ++i)
        out << "3 " << F(i, 0) << " " << F(i, 1) << " " << F(i, 2) << "\n";
    return path;
}

std::vector<float> readParameterBuffer() {
    GLint bytes = 0;
    glBindBuffer(GL_ARRAY_BUFFER, renderer.paramVbo);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    std::vector<float> data(bytes / sizeof(float));
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, bytes, data.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return data;
}

// What a load leaves behind that a second load must reproduce.
struct LoadResult {
    std::vector<int> endpoints;
    int root;
    double maxU;
    Camera cam;
};

LoadResult snapshot() {
    return {renderer.endpoints, renderer.rootIndex, renderer.maxU, camera};
}

class LoadMesh : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!testGLWindow()) return;
        assetsDir = sourceAssetsDir();
        setupCamera(camera, 1024, 768);
        std::string pattern = (fs::temp_directory_path() / "morvik-load-XXXXXX").string();
        tempDir = mkdtemp(pattern.data());
    }
    static void TearDownTestSuite() {
        if (!tempDir.empty()) fs::remove_all(tempDir);
    }
    void SetUp() override { REQUIRE_GL(); }
    // Loads with the console captured.
    std::string load(const std::string& path) {
        testing::internal::CaptureStdout();
        loadMesh(path);
        return testing::internal::GetCapturedStdout();
    }
    static std::string tempDir;
};
std::string LoadMesh::tempDir;

}  // namespace

TEST_F(LoadMesh, ExampleTreeIsAnalysedUploadedAndFramed) {
    std::string path = exampleMesh("vesselTree4.off");
    std::string out = load(path);

    // The console lines of one load, in their order.
    size_t radius = out.find("Mesh radius = ");
    size_t contraction = out.find("Skeletonizing iter 0");
    size_t root = out.find("Root point index is " + std::to_string(renderer.rootIndex) + "\n");
    size_t smoothing = out.find("# smoothing iter: ");
    char maxLine[64];
    snprintf(maxLine, sizeof maxLine, "maxU = %f\n", renderer.maxU);
    size_t max = out.find(maxLine);
    ASSERT_NE(max, std::string::npos) << out;
    EXPECT_LT(radius, contraction);
    EXPECT_LT(contraction, root);
    EXPECT_LT(root, smoothing);
    EXPECT_LT(smoothing, max);
    EXPECT_EQ(out.size(), max + strlen(maxLine));  // nothing after the last line

    // Endpoints increasing, the root one of them, U complete.
    ASSERT_FALSE(renderer.endpoints.empty());
    EXPECT_TRUE(std::is_sorted(renderer.endpoints.begin(), renderer.endpoints.end()));
    EXPECT_NE(std::find(renderer.endpoints.begin(), renderer.endpoints.end(), renderer.rootIndex),
              renderer.endpoints.end());
    EXPECT_TRUE(renderer.hasU);
    ASSERT_EQ(renderer.paramU.size(), renderer.V.rows());
    EXPECT_EQ(renderer.maxU, renderer.paramU.maxCoeff());
    EXPECT_GT(renderer.maxU, 0.0);
    // U is 0 where the Poisson solution peaks, which is near the root, not
    // necessarily on it.
    EXPECT_GE(renderer.paramU.minCoeff(), 0.0);
    EXPECT_LT(renderer.paramU(renderer.rootIndex), 0.01 * renderer.maxU);

    // The GPU parameter buffer holds (U, 0) per vertex.
    std::vector<float> gpu = readParameterBuffer();
    ASSERT_EQ(gpu.size(), 2u * renderer.V.rows());
    for (int i = 0; i < renderer.V.rows(); ++i) {
        ASSERT_EQ(gpu[2 * i], (float)renderer.paramU(i)) << "vertex " << i;
        ASSERT_EQ(gpu[2 * i + 1], 0.0f) << "vertex " << i;
    }

    // Framed from the home angles at the mesh centre.
    EXPECT_EQ(camera.yaw, 0.0f);
    EXPECT_EQ(camera.pitch, 0.0f);
    EXPECT_EQ(camera.center,
              glm::vec3(renderer.meshCenter[0], renderer.meshCenter[1], renderer.meshCenter[2]));
    float expected = renderer.meshRadius / std::tan(camera.fovY * 0.5f) * 0.75f;
    EXPECT_EQ(camera.distance, std::min(std::max(expected, 0.1f), 500.0f));
}

TEST_F(LoadMesh, SecondLoadAfterOrbitAndPanRepeatsTheFirst) {
    std::string path = exampleMesh("bifurcation.off");
    load(path);
    LoadResult first = snapshot();
    ASSERT_FALSE(first.endpoints.empty());

    camera.yaw = 1.3f;
    camera.pitch = -0.7f;
    camera.pan(4.0f, -2.0f);
    camera.distance = 33.0f;
    camera.minDistance = 20.0f;
    renderer.endpoints.push_back(123456);  // a stale entry must not survive
    load(path);
    LoadResult second = snapshot();
    EXPECT_EQ(second.endpoints, first.endpoints);
    EXPECT_EQ(second.root, first.root);
    EXPECT_EQ(second.maxU, first.maxU);
    EXPECT_EQ(second.cam.yaw, first.cam.yaw);
    EXPECT_EQ(second.cam.pitch, first.cam.pitch);
    EXPECT_EQ(second.cam.center, first.cam.center);
    EXPECT_EQ(second.cam.distance, first.cam.distance);
    EXPECT_EQ(second.cam.minDistance, 0.1f);
}

TEST_F(LoadMesh, DistanceFollowsRadiusWithinZoomBounds) {
    std::string source = exampleMesh("bifurcation.off");
    struct Case {
        double radius;
        float distance;
    } cases[] = {{10.0, 12.990381f}, {1000.0, 500.0f}, {0.01, 0.1f}};
    for (const Case& c : cases) {
        load(scaledCopy(source, c.radius, tempDir));
        EXPECT_NEAR(renderer.meshRadius, c.radius, 1e-4 * c.radius);
        EXPECT_NEAR(camera.distance, c.distance, 2e-5f * c.distance) << "radius " << c.radius;
    }
}

TEST_F(LoadMesh, UnreadablePathEmptiesTheViewAndAGoodLoadRestoresIt) {
    std::string good = exampleMesh("bifurcation.off");
    load(good);
    Camera before = camera;
    std::string out = load(tempDir + "/missing.off");
    EXPECT_NE(out.find("ERROR: Failed to load mesh\n"), std::string::npos);
    EXPECT_EQ(out.find("maxU"), std::string::npos);
    EXPECT_EQ(renderer.V.rows(), 0);
    EXPECT_EQ(renderer.F.rows(), 0);
    EXPECT_TRUE(renderer.endpoints.empty());
    EXPECT_FALSE(renderer.hasU);
    EXPECT_EQ(camera.distance, before.distance);
    EXPECT_EQ(camera.center, before.center);

    load(good);
    EXPECT_GT(renderer.F.rows(), 0);
    EXPECT_FALSE(renderer.endpoints.empty());
    EXPECT_TRUE(renderer.hasU);
}

TEST_F(LoadMesh, FilesWithoutVerticesOrFacesAreReportedNotAnalysed) {
    std::string noFaces = tempDir + "/points.off";
    std::ofstream(noFaces) << "OFF\n3 0 0\n0 0 0\n1 0 0\n0 1 0\n";
    std::string out = load(noFaces);
    EXPECT_NE(out.find("ERROR: " + noFaces + " holds no face: nothing to show\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(renderer.V.rows(), 0);
    EXPECT_FALSE(renderer.hasU);

    std::string nothing = tempDir + "/empty.off";
    std::ofstream(nothing) << "OFF\n0 0 0\n";
    out = load(nothing);
    EXPECT_EQ(out.find("maxU"), std::string::npos);
    EXPECT_EQ(renderer.V.rows(), 0);
    EXPECT_EQ(renderer.F.rows(), 0);
}

TEST_F(LoadMesh, MeshWithoutEndpointsSkipsTheUField) {
    // A closed sphere has no tree ends.
    std::string out = load(sourceAssetsDir() + "/models/sphere.off");
    if (!renderer.endpoints.empty()) GTEST_SKIP() << "the sphere has endpoints here";
    EXPECT_EQ(renderer.rootIndex, -1);
    EXPECT_FALSE(renderer.hasU);
    EXPECT_NE(out.find("Mesh has no endpoints: no root and no U field\n"), std::string::npos);
    EXPECT_EQ(out.find("maxU"), std::string::npos);
    std::vector<float> gpu = readParameterBuffer();
    ASSERT_EQ(gpu.size(), 2u * renderer.V.rows());
    for (float v : gpu) ASSERT_EQ(v, 0.0f);
    // The camera is still framed on the new mesh.
    EXPECT_NEAR(camera.distance, renderer.meshRadius / std::tan(camera.fovY * 0.5f) * 0.75f, 1e-5f);
}
