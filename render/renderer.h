#pragma once
// The one render-state object: the loaded mesh and its analysis results, the
// GPU objects made from them, the off-screen targets, the textures, the
// programs, the viewport size and every render parameter with its default.
// Fields are public: the shell, the panel and the parameter file write them.

#include <GL/glew.h>

#include <Eigen/Core>
#include <glm/glm.hpp>
#include <string>
#include <vector>

class Framebuffer;
class ShaderProgram;

// An axis-aligned box: its lowest and highest corner.
struct MeshCell {
    float lo[3];
    float hi[3];
};

// Triangles that follow one another in the index buffer and whose centroids
// fall in one cell: first triangle, how many, and the cell's index.
struct MeshRun {
    int first;
    int count;
    int cell;
};

// The window's framebuffer size, written by the shell; `Renderer::init` copies it.
extern int fbWidth;
extern int fbHeight;

// Colour-map file names under "/textures/", indexed by the shell's `gradientTex`.
constexpr int gradientTextureCount = 4;
extern const char* const gradientTextureFiles[gradientTextureCount];

class Renderer {
  public:
    Renderer();
    // The reference fields below alias meshVbos: a copy would alias the original.
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // GPU-side set-up once a context is current; a second call does nothing.
    void init();
    // GPU-side release while the context is still current.
    void destroy();

    // Mesh loading and upload.
    bool loadMeshFile(std::string path);
    void clearMesh();
    void uploadMesh();
    // Replaces the data store of the buffer bound to GL_ARRAY_BUFFER.
    void uploadParameters();

    // The framebuffer set, always at width by height.
    void createFramebuffers();
    void deleteFramebuffers();

    // Textures under assetsDir + "/textures/".
    void loadDecalTexture();
    void loadGradientTexture(std::string name);

    // One complete frame into the framebuffer the caller has bound.
    void draw(const glm::mat4& view, const glm::mat4& projection, bool orthoProjection);

    // --- Mesh and tree-analysis results
    Eigen::MatrixXd V;           // #V by 3 vertex positions
    Eigen::MatrixXi F;           // #F by 3 triangle vertex indices
    std::vector<int> endpoints;  // endpoint vertex indices, increasing
    int rootIndex = 0;           // root vertex, -1 when the mesh has no endpoint
    Eigen::VectorXd paramU;      // the U field, one value per vertex
    Eigen::VectorXd paramV;      // a second per-vertex parameter; nothing fills it
    double maxU = 0.0;
    bool hasU = false;
    bool hasV = false;
    bool inited = false;

    // --- GPU names, 0 until created
    // Position, normal and parameter buffers: generated and deleted together.
    GLuint meshVbos[3] = {0, 0, 0};
    GLuint& positionVbo = meshVbos[0];
    GLuint& normalVbo = meshVbos[1];
    GLuint& paramVbo = meshVbos[2];
    GLuint meshIbo = 0;
    GLuint meshVao = 0;
    GLuint sphereVbo = 0;
    GLuint sphereIbo = 0;
    GLuint sphereVao = 0;
    int sphereIndexCount = 0;
    GLuint emptyVao = 0;

    // --- Framebuffers (owned; null until createFramebuffers)
    Framebuffer* jfaFramebuffers[2] = {nullptr, nullptr};
    Framebuffer* gBuffer = nullptr;
    Framebuffer* finalFramebuffer = nullptr;
    Framebuffer* spareFramebuffer = nullptr;

    // --- Mesh placement
    float meshScale = 1.0f;
    float meshRadius = 0.0f;
    float meshCenter[3] = {0.0f, 0.0f, 0.0f};
    glm::mat4 modelMatrix = glm::mat4(1.0f);
    glm::mat3 normalMatrix = glm::mat3(1.0f);
    // Boxes that together hold every triangle (file coordinates), so that
    // the passes shade only the pixels the mesh can reach (mesh_footprint.h).
    std::vector<MeshCell> meshCells;
    // The index buffer's triangles in order, run by run, each run in one cell.
    std::vector<MeshRun> meshRuns;

    // --- Textures
    GLuint decalTextureId = 0;
    GLuint gradientTextureId = 0;

    // --- Programs, borrowed from the registry: "final", "sphere", "contour",
    // "contour_line", "jfa", "debug", "render_tex".
    ShaderProgram* programs[7] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

    // --- Viewport
    int width = 0;
    int height = 0;

    // --- Render parameters (names are the parameter-file keys)
    struct {
        float direction[3];
        bool viewerRelative;
    } dirLight;
    float ambientLight;
    struct {
        float diffuse;
        float specular;
        float shiny;
    } material;
    float sphereSize;
    bool centerOnLoad;
    bool normalizeOnLoad;
    bool renderEndpoints;
    bool renderRootpoint;
    bool depthAwareJFA;
    bool addContours;
    float contourWidth;
    float polyOffset[2];
    float colorBackground[3];
    float colorContour[3];
    float colorMesh[3];
    float colorMeshPlain[3];
    bool useBlinnPhong;
    struct {
        bool enabled;
        float f, o, w, l, s;
        int n;
    } hatching;
    struct {
        bool enabled[2];
        float freq[2];
        float width[2];
    } isolines;
    struct {
        bool enabled;
        bool onContour;
        float scale[3];
        float offset[2];
        bool clampV;
        bool invertV;
        bool animate;
    } decals;
    struct {
        bool enabled;
        bool onContour;
        bool useTexture;
        bool invert;
    } scalar_field;
    float time;
    float debug_float;

    // Index of each program in `programs`.
    enum ProgramSlot { FINAL, SPHERE, CONTOUR, CONTOUR_LINE, JFA, DEBUG, RENDER_TEX };
};

extern Renderer renderer;
