// The orbit camera's matrices and the mouse control, without a window.
#include <gtest/gtest.h>

#include <glm/gtc/type_ptr.hpp>

#include "app/camera.h"

namespace {

const float kOrbit = 0.004363323f;  // radians per pixel
float scroll = 0.0f;

Camera startupCamera() {
    Camera c = camera;
    setupCamera(c, 1024, 768);
    return c;
}

// One frame of mouse control, cursor at window pixel (x, y) of a 768-high window.
void mouse(Camera& c, double x, double y, bool left, bool middle, bool right, bool shift = false,
           float radius = 10.0f) {
    applyMouseControl(c, MouseInput{x, y, left, middle, right, shift}, 768, radius, scroll);
}

}  // namespace

// The view inverts the camera-to-world matrix, whose last column is the eye
// and whose first two are the axes a pan follows; the orthographic box is
// `distance` high and its depth range spans 2 * radius about the mesh centre.
TEST(Camera, ViewPanAndOrthographicBox) {
    Camera c = startupCamera();
    c.yaw = 0.7f, c.pitch = -1.2f, c.distance = 8.0f, c.center = glm::vec3(1, 2, 3);
    const glm::mat4 toWorld = c.inverseViewMatrix(), product = toWorld * viewMatrix(c);
    for (int k = 0; k < 4; ++k) EXPECT_LT(glm::length(product[k] - glm::mat4(1.0f)[k]), 1e-5f);
    EXPECT_NEAR(glm::length(glm::vec3(toWorld[3]) - c.center), 8.0f, 1e-5f);  // the eye
    c.pan(2.0f, 3.0f);
    EXPECT_LT(glm::length(c.center - glm::vec3(1, 2, 3) - 2.0f * glm::vec3(toWorld[0]) -
                          3.0f * glm::vec3(toWorld[1])),
              1e-5f);
    const float meshCenter[3] = {4.0f, -1.0f, 0.5f};
    const glm::mat4 box = orthographicMatrix(c, meshCenter, 1.5f);
    const float d = glm::length(glm::vec3(c.inverseViewMatrix()[3]) - glm::make_vec3(meshCenter));
    for (float depth : {-1.0f, 1.0f}) {  // near and far: 2 * 1.5 either side of the mesh centre
        const glm::vec4 clip = box * glm::vec4(4.0f * c.aspect, 4.0f, -(d + depth * 3.0f), 1.0f);
        EXPECT_LT(glm::length(glm::vec3(clip) - glm::vec3(1.0f, 1.0f, depth)), 1e-4f) << depth;
    }
}

TEST(Camera, ResetForMeshFramesByRadiusWithinBounds) {
    const float meshCenter[3] = {1.0f, 2.0f, 3.0f};
    for (auto [radius, distance] :
         {std::pair{10.0f, 12.990381f}, {1000.0f, 500.0f}, {0.01f, 0.1f}}) {
        Camera c = startupCamera();
        c.yaw = 2.0f, c.pitch = -0.5f, c.minDistance = 3.0f;
        resetCameraForMesh(c, radius, meshCenter, false);
        EXPECT_NEAR(c.distance, distance, 1e-5f) << radius;
        EXPECT_EQ(glm::vec3(c.yaw, c.pitch, c.minDistance), glm::vec3(0, 0, 0.1f));  // home
        EXPECT_EQ(c.center, glm::vec3(1, 2, 3));
    }
    Camera c = startupCamera();  // a loader that centred the model: home centre
    c.center = glm::vec3(9.0f);
    resetCameraForMesh(c, 10.0f, meshCenter, true);
    EXPECT_EQ(c.center, glm::vec3(0.0f));
}

TEST(MouseControl, LeftOrbitsWithPitchLimitRightOrMiddlePansScrollZooms) {
    Camera c = startupCamera();
    mouse(c, 100, 767, false, false, false);  // y upwards: the bottom row is 0
    EXPECT_EQ(lastCursorY, 0.0f);
    mouse(c, 110, 727, true, false, false);  // 10 right, 40 up
    EXPECT_NEAR(c.pitch, 40 * kOrbit, 1e-6f);
    EXPECT_NEAR(c.yaw, 10 * kOrbit, 1e-6f);
    mouse(c, 110, -1000, true, false, false);
    EXPECT_EQ(c.pitch, 1.569051f);
    mouse(c, 110, -999, true, false, false);  // one pixel back down acts at once
    EXPECT_NEAR(c.pitch, 1.569051f - kOrbit, 1e-6f);

    c = startupCamera();
    mouse(c, 0, 767, false, false, false);
    mouse(c, 10, 767, false, false, true);  // right, 10 px right, radius 10: the target
    EXPECT_NEAR(c.center.x, -0.2f, 1e-6f);  // moves 0.2 against the drag
    mouse(c, 10, 762, false, true, false);  // middle, 5 px up
    EXPECT_NEAR(c.center.y, -0.1f, 1e-6f);
    // Scroll, shift, mesh radius (0: no mesh, consumed without effect), distance.
    for (auto [amount, shift, radius, distance] : {std::tuple{1.0f, false, 10.0f, 5.0f},
                                                   {1.0f, true, 10.0f, 0.1f},
                                                   {-1000.0f, false, 10.0f, 500.0f},
                                                   {3.0f, false, 0.0f, 500.0f}}) {
        scroll = amount;
        mouse(c, 10, 762, false, false, false, shift, radius);
        EXPECT_FLOAT_EQ(c.distance, distance) << amount;
        EXPECT_EQ(scroll, 0.0f);
    }
}
