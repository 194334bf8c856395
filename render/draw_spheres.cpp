// Translucent spheres on the tree's endpoints and its root, blended over the
// composed image and depth-tested against the mesh.
#include <glm/gtc/matrix_transform.hpp>

#include "render/draw_passes.h"
#include "render/uniforms.h"

namespace {

// The sphere radius is sphereSize x meshRadius x this factor (applied in double).
constexpr double sphereRadiusPerSize = 0.01;

}  // namespace

void drawEndpointSpheres(Renderer& r, const glm::mat4& view, const glm::mat4& projection) {
    glPushDebugGroup(GL_DEBUG_SOURCE_APPLICATION, 1, -1, "Endpoint spheres");
    ShaderProgram* p = r.programs[Renderer::SPHERE];
    glUseProgram(p->programId);
    glBindVertexArray(r.sphereVao);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);

    const float radius = static_cast<float>(r.sphereSize * r.meshRadius * sphereRadiusPerSize);
    const glm::vec3 light = viewSpaceLightDirection(r, view);
    setUniform3(p, "dirLight_direction_VS", &light.x);
    setUniform(p, "ambientLight", r.ambientLight);

    static const float rootColor[4] = {1.0f, 0.0f, 0.0f, 0.5f};
    static const float endpointColor[4] = {0.0f, 1.0f, 0.0f, 0.5f};
    const glm::mat4 viewProjection = projection * view;
    for (int e : r.endpoints) {
        const bool isRoot = e == r.rootIndex;
        if (!isRoot && !r.renderEndpoints) continue;
        const glm::vec3 pos(static_cast<float>(r.V(e, 0)), static_cast<float>(r.V(e, 1)),
                            static_cast<float>(r.V(e, 2)));
        const glm::mat4 S = glm::scale(glm::translate(glm::mat4(1.0f), pos), glm::vec3(radius));
        const glm::mat4 M = r.modelMatrix * S;
        setUniform(p, "matMVP", viewProjection * M);
        setUniform(p, "matMV", view * M);
        const glm::mat3 N = glm::transpose(glm::mat3(glm::inverse(M)));
        setUniform(p, "matNormalMV", viewNormalMatrix(view, N));
        setUniform4(p, "color", isRoot && r.renderRootpoint ? rootColor : endpointColor);
        glDrawElements(GL_TRIANGLES, r.sphereIndexCount, GL_UNSIGNED_INT, nullptr);
    }

    glDisable(GL_BLEND);
    glBindVertexArray(0);
    glPopDebugGroup();
}
