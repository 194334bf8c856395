// Mesh loading, GPU upload and placement.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>

#include "analysis/remove_duplicate_vertices.h"
#include "geometry/per_face_normals.h"
#include "geometry/per_vertex_normals.h"
#include "geometry/read_triangle_mesh.h"
#include "render/mesh_footprint.h"
#include "render/renderer.h"

namespace {

// Eigen stores column by column; the GPU wants one vertex after another.
std::vector<float> rowsAsFloats(const Eigen::MatrixXd& M) {
    std::vector<float> out(static_cast<size_t>(M.rows()) * 3);
    for (Eigen::Index i = 0; i < M.rows(); ++i)
        for (int k = 0; k < 3; ++k) out[3 * i + k] = static_cast<float>(M(i, k));
    return out;
}

void uploadVec3Attribute(GLuint buffer, GLuint attribute, const std::vector<float>& data) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, data.size() * sizeof(float), data.data(), GL_STATIC_DRAW);
    glVertexAttribPointer(attribute, 3, GL_FLOAT, GL_FALSE, 12, nullptr);
    glEnableVertexAttribArray(attribute);
}

}  // namespace

bool Renderer::loadMeshFile(std::string path) {
    clearMesh();
    if (!geometry::read_triangle_mesh(path, V, F)) {
        // The reader leaves V and F unspecified: the mesh must stay empty.
        V.resize(0, 0);
        F.resize(0, 0);
        std::cout << "ERROR: "
                  << "Failed to load mesh" << std::endl;
        return false;
    }
    removeDuplicateVertices(V, F);
    uploadMesh();

    if (V.rows() == 0) {
        // No bounding box: a placement from it would be NaN everywhere, so
        // the previous mesh's placement stays.
        return true;
    }

    const Eigen::RowVector3d mn = V.colwise().minCoeff();
    const Eigen::RowVector3d mx = V.colwise().maxCoeff();
    Eigen::RowVector3d c = (mn + mx) * 0.5;
    const double extent = (mx - mn).maxCoeff();
    // A box without extent (one point, repeated) cannot be normalised: scale 1, not infinity.
    meshScale = extent > 0.0 ? 5.0f / static_cast<float>(extent) : 1.0f;
    for (int k = 0; k < 3; ++k) meshCenter[k] = static_cast<float>(c(k));
    computeMeshCells(V, F, meshCells, meshRuns);
    if (!centerOnLoad) c.setZero();
    if (!normalizeOnLoad) meshScale = 1.0f;

    const float s = meshScale;
    const glm::vec3 cf(static_cast<float>(c(0)), static_cast<float>(c(1)),
                       static_cast<float>(c(2)));
    modelMatrix = glm::translate(glm::scale(glm::mat4(1.0f), glm::vec3(s)), -cf);
    normalMatrix = glm::transpose(glm::mat3(glm::inverse(modelMatrix)));
    meshRadius = 0.5f * static_cast<float>(((mx - mn) * static_cast<double>(s)).norm());

    printf("Mesh radius = %f, center is (%f , %f , %f)\n", meshRadius, meshCenter[0], meshCenter[1],
           meshCenter[2]);
    return true;
}

void Renderer::uploadMesh() {
    glGenVertexArrays(1, &meshVao);
    glBindVertexArray(meshVao);
    glGenBuffers(3, meshVbos);

    uploadVec3Attribute(positionVbo, 0, rowsAsFloats(V));

    Eigen::MatrixXd FN, N;
    geometry::per_face_normals(V, F, Eigen::RowVector3d::Zero(), FN);
    geometry::per_vertex_normals(V, F, FN, N);
    // A vertex without a proper triangle has no normal; NaN would poison the
    // G-buffer, so it gets a fixed one.
    for (Eigen::Index i = 0; i < N.rows(); ++i)
        if (!N.row(i).allFinite()) N.row(i) = Eigen::RowVector3d(0.0, 0.0, 1.0);
    uploadVec3Attribute(normalVbo, 1, rowsAsFloats(N));

    glBindBuffer(GL_ARRAY_BUFFER, paramVbo);
    uploadParameters();
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, 8, nullptr);
    glEnableVertexAttribArray(2);

    std::vector<unsigned int> indices(static_cast<size_t>(F.rows()) * 3);
    for (Eigen::Index f = 0; f < F.rows(); ++f)
        for (int k = 0; k < 3; ++k) indices[3 * f + k] = static_cast<unsigned int>(F(f, k));
    glGenBuffers(1, &meshIbo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, meshIbo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices.size() * sizeof(unsigned int), indices.data(),
                 GL_STATIC_DRAW);

    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void Renderer::uploadParameters() {
    const Eigen::Index n = V.rows();
    std::vector<float> params(static_cast<size_t>(n) * 2, 0.0f);
    // A field shorter than the mesh leaves the rest at 0 rather than read past its end.
    if (hasU)
        for (Eigen::Index i = 0; i < std::min(n, paramU.size()); ++i)
            params[2 * i] = static_cast<float>(paramU[i]);
    if (hasV)
        for (Eigen::Index i = 0; i < std::min(n, paramV.size()); ++i)
            params[2 * i + 1] = static_cast<float>(paramV[i]);
    glBufferData(GL_ARRAY_BUFFER, params.size() * sizeof(float), params.data(), GL_STATIC_DRAW);
}

void Renderer::clearMesh() {
    V.resize(0, 0);
    F.resize(0, 0);
    endpoints.clear();
    rootIndex = 0;
    hasU = false;
    glDeleteVertexArrays(1, &meshVao);
    glDeleteBuffers(3, meshVbos);
    glDeleteBuffers(1, &meshIbo);
    // Reset: a second clear (after a failed load) must not delete names that
    // GL may since have given to other objects.
    meshVao = meshIbo = 0;
    meshVbos[0] = meshVbos[1] = meshVbos[2] = 0;
}
