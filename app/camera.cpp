#include "app/camera.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>

namespace {
constexpr float radiansPerPixel = 0.004363323f;  // 0.25 degree
constexpr float pitchLimit = 1.569051f;          // 89.9 degrees
}  // namespace

// fovY, aspect, zNear and zFar stay 0 until start-up sets them.
Camera camera = {
    0.0f,                                               // fovY
    0.0f,                                               // aspect
    0.0f,                                               // zNear
    0.0f,                                               // zFar
    0.0f,                                               // yaw
    0.0f,                                               // pitch
    6.0f,                                               // distance
    glm::vec3(0.0f),                                    // center: initCamera copies home.center
    {0.0f, 0.0f, 6.0f, 0.1f, 500.0f, glm::vec3(0.0f)},  // home
    0.1f,                                               // minDistance
    500.0f,                                             // maxDistance
};

void initCamera() {
    camera.center = camera.home.center;
}

namespace {
const bool cameraInitialised = (initCamera(), true);
}

float lastCursorX = 0.0f;
float lastCursorY = 0.0f;

glm::mat4 Camera::inverseViewMatrix() const {
    glm::mat4 m = glm::translate(glm::mat4(1.0f), center);
    m = glm::rotate(m, -yaw, glm::vec3(0.0f, 1.0f, 0.0f));
    m = glm::rotate(m, -pitch, glm::vec3(1.0f, 0.0f, 0.0f));
    return glm::translate(m, glm::vec3(0.0f, 0.0f, distance));
}

void Camera::pan(float dx, float dy) {
    glm::mat4 r = glm::rotate(glm::mat4(1.0f), -yaw, glm::vec3(0.0f, 1.0f, 0.0f));
    r = glm::rotate(r, -pitch, glm::vec3(1.0f, 0.0f, 0.0f));
    glm::vec3 right(r[0]);
    glm::vec3 up(r[1]);
    center += dx * right + dy * up;
}

void clampDistance(Camera& cam) {
    if (cam.minDistance > cam.distance) cam.distance = cam.minDistance;
    if (cam.distance > cam.maxDistance) cam.distance = cam.maxDistance;
}

void setupCamera(Camera& cam, int fbWidth, int fbHeight) {
    cam.fovY = 1.0471976f;
    cam.zNear = 0.01f;
    cam.zFar = 1000.0f;
    cam.aspect = (float)fbWidth / (float)fbHeight;
    cam.distance = 6.0f;
    clampDistance(cam);
    cam.home.yaw = cam.yaw;
    cam.home.pitch = cam.pitch;
    cam.home.distance = cam.distance;
    cam.home.center = cam.center;
    cam.home.minDistance = cam.minDistance;
    cam.home.maxDistance = cam.maxDistance;
}

glm::mat4 viewMatrix(const Camera& cam) {
    glm::mat4 m = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, -cam.distance));
    m = glm::rotate(m, cam.pitch, glm::vec3(1.0f, 0.0f, 0.0f));
    m = glm::rotate(m, cam.yaw, glm::vec3(0.0f, 1.0f, 0.0f));
    return glm::translate(m, -cam.center);
}

glm::mat4 perspectiveMatrix(const Camera& cam) {
    return glm::perspective(cam.fovY, cam.aspect, cam.zNear, cam.zFar);
}

glm::mat4 orthographicMatrix(const Camera& cam, const float meshCenter[3], float meshRadius) {
    float halfHeight = cam.distance * 0.5f;
    float halfWidth = halfHeight * cam.aspect;
    glm::vec4 eye = cam.inverseViewMatrix() * glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
    glm::vec3 toMesh = glm::vec3(eye) - glm::vec3(meshCenter[0], meshCenter[1], meshCenter[2]);
    float d = std::sqrt(glm::dot(toMesh, toMesh));
    return glm::ortho(-halfWidth, halfWidth, -halfHeight, halfHeight, d - 2.0f * meshRadius,
                      d + 2.0f * meshRadius);
}

void resetCameraForMesh(Camera& cam, float meshRadius, const float meshCenter[3],
                        bool centerOnLoad) {
    cam.yaw = cam.home.yaw;
    cam.pitch = cam.home.pitch;
    cam.center = cam.home.center;
    cam.minDistance = cam.home.minDistance;
    cam.maxDistance = cam.home.maxDistance;
    cam.distance = meshRadius / std::tan(cam.fovY * 0.5f) * 0.75f;
    clampDistance(cam);
    if (!centerOnLoad) cam.center = glm::vec3(meshCenter[0], meshCenter[1], meshCenter[2]);
}

void applyMouseControl(Camera& cam, const MouseInput& in, int fbHeight, float meshRadius,
                       float& scrollAccum) {
    float x = (float)in.cursorX;
    float y = (float)fbHeight - 1.0f - (float)in.cursorY;
    float dx = x - lastCursorX;
    float dy = y - lastCursorY;
    lastCursorX = x;
    lastCursorY = y;
    float k = meshRadius * 0.2f;

    if (in.left) {
        cam.pitch += dy * radiansPerPixel;
        if (cam.pitch > pitchLimit)
            cam.pitch = pitchLimit;
        else if (cam.pitch < -pitchLimit)
            cam.pitch = -pitchLimit;
        cam.yaw += dx * radiansPerPixel;
    }
    // The target moves against the drag, so the mesh follows the cursor.
    if (in.middle || in.right) cam.pan(dx * -0.01f * k, dy * -0.01f * k);
    if (scrollAccum != 0.0f) {
        float f = in.shift ? 2.5f : 0.5f;
        cam.distance += -(scrollAccum * f * k);
        clampDistance(cam);
        scrollAccum = 0.0f;
    }
}
