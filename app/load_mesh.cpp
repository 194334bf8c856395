#include "app/load_mesh.h"

#include <GL/glew.h>

#include <cstdio>

#include "analysis/endpoints.h"
#include "analysis/skeleton_contraction.h"
#include "analysis/u_field.h"
#include "app/camera.h"
#include "render/renderer.h"

void loadMesh(std::string path) {
    if (!renderer.loadMeshFile(path)) return;

    // A file can parse and still hold nothing to analyse or draw.
    if (renderer.V.rows() == 0 || renderer.F.rows() == 0) {
        printf("ERROR: %s holds no %s: nothing to show\n", path.c_str(),
               renderer.V.rows() == 0 ? "vertex" : "face");
        renderer.clearMesh();
        return;
    }

    renderer.endpoints.clear();
    renderer.rootIndex = 0;
    {
        Eigen::MatrixXd S = renderer.V;
        contractMesh(S, renderer.F, 5.0, 10);
        findEndpoints(S, renderer.F, renderer.endpoints);
    }
    renderer.rootIndex = findRootPoint(renderer.endpoints, renderer.V, renderer.F);

    // The U field needs a root; without one U stays unset and uploads as zeros.
    if (renderer.rootIndex >= 0) {
        computeUField(renderer.V, renderer.F, renderer.rootIndex, renderer.paramU);
        renderer.maxU = renderer.paramU.size() > 0 ? renderer.paramU.maxCoeff() : 0.0;
        renderer.hasU = true;
        printf("maxU = %f\n", renderer.maxU);
    } else {
        printf("Mesh has no endpoints: no root and no U field\n");
    }

    glBindBuffer(GL_ARRAY_BUFFER, renderer.paramVbo);
    renderer.uploadParameters();
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    resetCameraForMesh(camera, renderer.meshRadius, renderer.meshCenter, renderer.centerOnLoad);
}
