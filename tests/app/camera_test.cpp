#include <gtest/gtest.h>

#include <cmath>

#include "app/camera.h"

namespace {

const float kOrbit = 0.004363323f;  // radians per pixel

Camera startupCamera() {
    Camera c = camera;
    setupCamera(c, 1024, 768);
    return c;
}

void expectMatrixNear(const glm::mat4& actual, const glm::mat4& expected) {
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row)
            EXPECT_NEAR(actual[col][row], expected[col][row], 1e-5f) << col << "," << row;
}

// One frame of mouse control, cursor at window pixel (x, y) of a 768-high window.
float scroll = 0.0f;
void mouse(Camera& c, double x, double y, bool left, bool middle, bool right, bool shift = false,
           float radius = 10.0f) {
    applyMouseControl(c, MouseInput{x, y, left, middle, right, shift}, 768, radius, scroll);
}

}  // namespace

TEST(Camera, MatricesMatchHandComputedValues) {
    Camera c = startupCamera();
    c.aspect = 2.0f, c.distance = 8.0f;
    EXPECT_EQ(c.inverseViewMatrix()[3], glm::vec4(0, 0, 8, 1));  // the eye
    float t = std::tan(1.0471976f * 0.5f), n = 0.01f, f = 1000.0f;
    expectMatrixNear(perspectiveMatrix(c),
                     glm::mat4(1 / (2 * t), 0, 0, 0, 0, 1 / t, 0, 0, 0, 0, -(f + n) / (f - n), -1,
                               0, 0, -2 * f * n / (f - n), 0));
    // Mesh centre 10 from the eye, radius 1.5: near 7, far 13.
    const float meshCenter[3] = {0.0f, 0.0f, -2.0f};
    expectMatrixNear(
        orthographicMatrix(c, meshCenter, 1.5f),
        glm::mat4(0.125f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, -1 / 3.0f, 0, 0, 0, -10 / 3.0f, 1));

    c.yaw = (float)M_PI / 2.0f;
    c.distance = 5.0f;
    c.center = glm::vec3(1, 2, 3);
    // T(0,0,-5) Ry(pi/2) T(-1,-2,-3): Ry(pi/2) maps x to -z and z to x.
    expectMatrixNear(viewMatrix(c), glm::mat4(0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, -3, -2, -4, 1));
    c.pan(2.0f, 3.0f);  // camera x is world z
    EXPECT_LT(glm::length(c.center - glm::vec3(1, 5, 5)), 1e-5f);
    c.pitch = -1.2f;
    expectMatrixNear(c.inverseViewMatrix() * viewMatrix(c), glm::mat4(1.0f));
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
    mouse(c, 100, 767, false, false, false);  // y upwards: 0
    EXPECT_EQ(lastCursorY, 0.0f);
    mouse(c, 110, 727, true, false, false);  // 10 right, 40 up
    EXPECT_NEAR(c.pitch, 40 * kOrbit, 1e-6f);
    EXPECT_NEAR(c.yaw, 10 * kOrbit, 1e-6f);
    mouse(c, 110, -1000, true, false, false);
    EXPECT_EQ(c.pitch, 1.569051f);
    mouse(c, 110, -999, true, false, false);  // one pixel back down acts at once
    EXPECT_NEAR(c.pitch, 1.569051f - kOrbit, 1e-6f);
    mouse(c, 110, 9000, true, false, false);
    EXPECT_EQ(c.pitch, -1.569051f);

    c = startupCamera();
    mouse(c, 0, 767, false, false, false);
    mouse(c, 10, 767, false, false, true);  // 10 px right, radius 10: k = 2
    EXPECT_NEAR(c.center.x, -0.2f, 1e-6f);
    mouse(c, 10, 762, false, true, false);  // middle, 5 px up
    EXPECT_NEAR(c.center.y, -0.1f, 1e-6f);
    Camera expected = c;  // both buttons: orbit first, then pan with the new angles
    expected.yaw += 100 * kOrbit;
    expected.pan(-2.0f, 0.0f);
    mouse(c, 110, 762, true, false, true);
    EXPECT_NEAR(glm::length(c.center - expected.center), 0.0f, 1e-5f);
    Camera before = c;  // no mesh: no pan
    mouse(c, 600, 200, false, false, true, false, 0.0f);
    EXPECT_EQ(c.center, before.center);

    // Scroll, shift, mesh radius (0: no mesh, consumed without effect), distance.
    for (auto [amount, shift, radius, distance] : {std::tuple{1.0f, false, 10.0f, 5.0f},
                                                   {1.0f, true, 10.0f, 0.1f},
                                                   {-1000.0f, false, 10.0f, 500.0f},
                                                   {3.0f, false, 0.0f, 500.0f}}) {
        scroll = amount;
        mouse(c, 0, 767, false, false, false, shift, radius);
        EXPECT_FLOAT_EQ(c.distance, distance) << amount;
        EXPECT_EQ(scroll, 0.0f);
    }
}
