#pragma once
// The orbit camera: the eye sits at `distance` from `center`, turned by `yaw`
// about the world y axis and `pitch` about the x axis. Angles in radians.
// Mouse control is a free function over its inputs so that it runs without a
// window.

#include <glm/glm.hpp>

struct Camera {
    float fovY;
    float aspect;
    float zNear;
    float zFar;
    float yaw;
    float pitch;
    float distance;  // kept within [minDistance, maxDistance] by every writer
    glm::vec3 center;
    struct {
        float yaw;
        float pitch;
        float distance;  // saved, never restored: a new mesh gets a fresh distance
        float minDistance;
        float maxDistance;
        glm::vec3 center;
    } home;
    float minDistance;
    float maxDistance;

    // Camera-to-world, T(center) Ry(-yaw) Rx(-pitch) T(0, 0, distance); its
    // last column is the eye position.
    glm::mat4 inverseViewMatrix() const;
    // Moves `center` by dx along the camera's x axis and dy along its y axis
    // (world units).
    void pan(float dx, float dy);
};

extern Camera camera;

// Static initialiser: `center` := `home.center`.
void initCamera();

// Start-up set-up: field of view, planes, aspect, distance, then the home copy.
void setupCamera(Camera& cam, int fbWidth, int fbHeight);

// T(0, 0, -distance) Rx(pitch) Ry(yaw) T(-center).
glm::mat4 viewMatrix(const Camera& cam);
// Right-handed, clip depth -1..1.
glm::mat4 perspectiveMatrix(const Camera& cam);
// A box of visible height `distance`, whose depth range spans a sphere of
// radius 2 * meshRadius about meshCenter wherever the eye is; near may be
// negative.
glm::mat4 orthographicMatrix(const Camera& cam, const float meshCenter[3], float meshRadius);

// Puts `distance` back into [minDistance, maxDistance].
void clampDistance(Camera& cam);

// Frames a freshly loaded mesh: home angles, centre and bounds, a distance at
// which 2 * meshRadius spans three quarters of the view, aimed at meshCenter
// unless the loader already centred the model at the origin.
void resetCameraForMesh(Camera& cam, float meshRadius, const float meshCenter[3],
                        bool centerOnLoad);

// What the mouse control reads from the window system in one frame.
struct MouseInput {
    double cursorX = 0.0;  // window pixels, y downwards
    double cursorY = 0.0;
    bool left = false;
    bool middle = false;
    bool right = false;
    bool shift = false;
};

// The cursor of the last frame whose mouse control ran, y upwards.
extern float lastCursorX;
extern float lastCursorY;

// One frame of mouse control: left drag orbits, middle or right drag pans,
// scrollAccum zooms (and is consumed). Pan and zoom speeds scale with
// meshRadius, so nothing but orbiting moves before a mesh is loaded.
void applyMouseControl(Camera& cam, const MouseInput& in, int fbHeight, float meshRadius,
                       float& scrollAccum);
