#include "render/renderer.h"

#include <initializer_list>
#include <string>

#include "geometry/read_triangle_mesh.h"
#include "platform/fatal.h"
#include "render/shader_program.h"

Renderer renderer;

int fbWidth = 0;
int fbHeight = 0;

const char* const gradientTextureFiles[gradientTextureCount] = {"grad_WhBu.jpg", "grad_WhGn.png",
                                                                "grad_OrRd.png", "grad_magma.png"};

namespace {

// Registry names in the order of Renderer::ProgramSlot.
const char* const programNames[7] = {"final", "sphere", "contour",   "contour_line",
                                     "jfa",   "debug",  "render_tex"};

// Builds the unit sphere's vertex array; the host arrays die with the caller.
void uploadSphere(Renderer& r) {
    Eigen::MatrixXf sphereV;
    Eigen::MatrixXi sphereF;
    if (!geometry::read_triangle_mesh(assetsDir + "/models/sphere.off", sphereV, sphereF))
        fatalError("Failed to load sphere mesh");
    r.sphereIndexCount = 3 * static_cast<int>(sphereF.rows());

    // Eigen stores column by column; the GPU wants one vertex after another.
    Eigen::Matrix<float, Eigen::Dynamic, 3, Eigen::RowMajor> positions = sphereV;
    Eigen::Matrix<int, Eigen::Dynamic, 3, Eigen::RowMajor> indices = sphereF;

    glGenVertexArrays(1, &r.sphereVao);
    glBindVertexArray(r.sphereVao);
    glGenBuffers(1, &r.sphereVbo);
    glBindBuffer(GL_ARRAY_BUFFER, r.sphereVbo);
    glBufferData(GL_ARRAY_BUFFER, 12 * positions.rows(), positions.data(), GL_STATIC_DRAW);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 12, nullptr);
    glEnableVertexAttribArray(0);
    glGenBuffers(1, &r.sphereIbo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, r.sphereIbo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, 12 * indices.rows(), indices.data(), GL_STATIC_DRAW);
    // The vertex array goes first so that it keeps its index buffer.
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

template <int N>
void setVec(float (&dst)[N], std::initializer_list<float> values) {
    int i = 0;
    for (float v : values) dst[i++] = v;
}

}  // namespace

Renderer::Renderer() {
    // 1/sqrt(2) in single precision, negated in y and z.
    setVec(dirLight.direction, {0.0f, -0.70710677f, -0.70710677f});
    dirLight.viewerRelative = false;
    ambientLight = 0.2f;
    material.diffuse = 0.7f;
    material.specular = 0.3f;
    material.shiny = 9.0f;
    sphereSize = 2.0f;
    centerOnLoad = false;
    normalizeOnLoad = false;
    renderEndpoints = false;
    renderRootpoint = false;
    depthAwareJFA = true;
    addContours = true;
    contourWidth = 3.0f;
    setVec(polyOffset, {5.0f, 0.0f});
    setVec(colorBackground, {0.5f, 0.5f, 0.5f});
    setVec(colorContour, {0.0f, 0.0f, 0.0f});
    setVec(colorMesh, {1.0f, 1.0f, 0.0f});
    setVec(colorMeshPlain, {1.0f, 1.0f, 1.0f});
    useBlinnPhong = true;
    hatching.enabled = false;
    hatching.f = 200.0f;
    hatching.o = 0.0f;
    hatching.w = 0.4f;
    hatching.l = 5.0f;
    hatching.s = 2.0f;
    hatching.n = 1;
    isolines.enabled[0] = isolines.enabled[1] = false;
    setVec(isolines.freq, {100.0f, 100.0f});
    setVec(isolines.width, {1.0f, 1.0f});
    decals.enabled = false;
    decals.onContour = false;
    setVec(decals.scale, {2.0f, 0.1f, 0.5f});
    setVec(decals.offset, {-0.5f, -0.1f});
    decals.clampV = true;
    decals.invertV = true;
    decals.animate = true;
    scalar_field.enabled = false;
    scalar_field.onContour = false;
    scalar_field.useTexture = true;
    scalar_field.invert = true;
    time = 0.0f;
    debug_float = 0.0f;
}

void Renderer::init() {
    if (inited) return;
    width = fbWidth;
    height = fbHeight;
    for (int i = 0; i < 7; ++i) programs[i] = getShaderProgram(programNames[i]);
    uploadSphere(*this);
    glGenVertexArrays(1, &emptyVao);
    createFramebuffers();
    loadDecalTexture();
    loadGradientTexture(gradientTextureFiles[0]);
    inited = true;
}

void Renderer::destroy() {
    clearMesh();
    if (inited) {
        glDeleteTextures(1, &decalTextureId);
        glDeleteTextures(1, &gradientTextureId);
        glDeleteVertexArrays(1, &sphereVao);
        glDeleteBuffers(1, &sphereVbo);
        glDeleteBuffers(1, &sphereIbo);
        glDeleteVertexArrays(1, &emptyVao);
        deleteFramebuffers();
        // Reset, so that a later init or colour-map load never deletes a
        // name that GL may have handed to someone else since.
        decalTextureId = gradientTextureId = 0;
        sphereVao = sphereVbo = sphereIbo = emptyVao = 0;
    }
    inited = false;
}
