#include <gtest/gtest.h>

#include <cmath>

#include "app/camera.h"

namespace {

// The camera as start-up leaves it for a 1024 by 768 window.
Camera startupCamera() {
    Camera c = camera;
    setupCamera(c, 1024, 768);
    return c;
}

void expectMatrixNear(const glm::mat4& actual, const float expected[4][4], float tol = 1e-5f) {
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row)
            EXPECT_NEAR(actual[col][row], expected[col][row], tol)
                << "element [" << col << "][" << row << "]";
}

class MouseControl : public ::testing::Test {
  protected:
    void SetUp() override {
        cam = startupCamera();
        lastCursorX = 0.0f;
        lastCursorY = 0.0f;
        scroll = 0.0f;
    }
    // Moves the cursor to window pixel (x, y), y downwards, in a 768-high window.
    void frame(double x, double y, bool left = false, bool right = false, bool middle = false,
               bool shift = false, float radius = 10.0f) {
        MouseInput in;
        in.cursorX = x;
        in.cursorY = y;
        in.left = left;
        in.right = right;
        in.middle = middle;
        in.shift = shift;
        applyMouseControl(cam, in, 768, radius, scroll);
    }
    Camera cam;
    float scroll;
};

}  // namespace

TEST(Camera, StaticDefaultsAndStartupSetup) {
    // Before start-up: only distance, bounds and the home copy hold values.
    EXPECT_EQ(camera.fovY, 0.0f);
    EXPECT_EQ(camera.distance, 6.0f);
    EXPECT_EQ(camera.minDistance, 0.1f);
    EXPECT_EQ(camera.maxDistance, 500.0f);
    EXPECT_EQ(camera.center, camera.home.center);

    Camera c = startupCamera();
    EXPECT_FLOAT_EQ(c.fovY, 1.0471976f);
    EXPECT_FLOAT_EQ(c.zNear, 0.01f);
    EXPECT_FLOAT_EQ(c.zFar, 1000.0f);
    EXPECT_FLOAT_EQ(c.aspect, 1024.0f / 768.0f);
    EXPECT_EQ(c.distance, 6.0f);
    EXPECT_EQ(c.home.distance, 6.0f);
    EXPECT_EQ(c.home.minDistance, 0.1f);
    EXPECT_EQ(c.home.maxDistance, 500.0f);

    // The start distance obeys the bounds.
    Camera tight = camera;
    tight.minDistance = 7.0f;
    setupCamera(tight, 100, 100);
    EXPECT_EQ(tight.distance, 7.0f);
    EXPECT_EQ(tight.home.distance, 7.0f);
}

TEST(Camera, ViewMatrixMatchesHandComputedValues) {
    Camera c = startupCamera();
    c.yaw = (float)M_PI / 2.0f;
    c.pitch = 0.0f;
    c.distance = 5.0f;
    c.center = glm::vec3(1.0f, 2.0f, 3.0f);
    // T(0,0,-5) Ry(pi/2) T(-1,-2,-3): Ry(pi/2) maps x to -z and z to x.
    const float expected[4][4] = {{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {-3, -2, -4, 1}};
    expectMatrixNear(viewMatrix(c), expected);

    // The centre lands on the view axis at -distance, whatever the angles.
    c.pitch = 0.7f;
    c.yaw = -2.1f;
    glm::vec4 p = viewMatrix(c) * glm::vec4(c.center, 1.0f);
    EXPECT_NEAR(p.x, 0.0f, 1e-5f);
    EXPECT_NEAR(p.y, 0.0f, 1e-5f);
    EXPECT_NEAR(p.z, -5.0f, 1e-5f);
}

TEST(Camera, InverseViewMatrixUndoesTheViewAndHoldsTheEye) {
    Camera c = startupCamera();
    glm::vec4 eye = c.inverseViewMatrix() * glm::vec4(0, 0, 0, 1);
    EXPECT_EQ(eye, glm::vec4(0, 0, 6, 1));

    c.yaw = 0.4f;
    c.pitch = -1.2f;
    c.distance = 3.5f;
    c.center = glm::vec3(-2.0f, 0.5f, 8.0f);
    glm::mat4 product = c.inverseViewMatrix() * viewMatrix(c);
    const float identity[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    expectMatrixNear(product, identity);
    glm::vec3 e(c.inverseViewMatrix()[3]);
    EXPECT_NEAR(glm::length(e - c.center), 3.5f, 1e-5f);
}

TEST(Camera, PanMovesCentreAlongCameraAxes) {
    Camera c = startupCamera();
    c.pan(1.0f, 0.0f);
    EXPECT_EQ(c.center, glm::vec3(1, 0, 0));

    // Turned a quarter about y, the camera's x axis is the world z axis.
    c.center = glm::vec3(0.0f);
    c.yaw = (float)M_PI / 2.0f;
    c.pan(2.0f, 3.0f);
    EXPECT_NEAR(c.center.x, 0.0f, 1e-6f);
    EXPECT_NEAR(c.center.y, 3.0f, 1e-6f);
    EXPECT_NEAR(c.center.z, 2.0f, 1e-6f);
}

TEST(Camera, PerspectiveMatrixElements) {
    Camera c = startupCamera();
    c.aspect = 2.0f;
    glm::mat4 p = perspectiveMatrix(c);
    float t = std::tan(1.0471976f * 0.5f);
    const float expected[4][4] = {{1.0f / (2.0f * t), 0, 0, 0},
                                  {0, 1.0f / t, 0, 0},
                                  {0, 0, -(1000.0f + 0.01f) / (1000.0f - 0.01f), -1},
                                  {0, 0, -(2.0f * 1000.0f * 0.01f) / (1000.0f - 0.01f), 0}};
    expectMatrixNear(p, expected);
}

TEST(Camera, OrthographicBoxFollowsZoomAndMeshDepth) {
    Camera c = startupCamera();
    c.aspect = 2.0f;
    c.distance = 8.0f;
    const float meshCenter[3] = {0.0f, 0.0f, -2.0f};
    // Eye at (0,0,8); mesh centre 10 away; radius 1.5 gives near 7, far 13.
    glm::mat4 o = orthographicMatrix(c, meshCenter, 1.5f);
    const float expected[4][4] = {{2.0f / 16.0f, 0, 0, 0},
                                  {0, 2.0f / 8.0f, 0, 0},
                                  {0, 0, -2.0f / 6.0f, 0},
                                  {0, 0, -20.0f / 6.0f, 1}};
    expectMatrixNear(o, expected);

    // Zoomed far out and panned a little, the mesh centre stays inside the depth range.
    c.distance = 400.0f;
    c.center = glm::vec3(1.0f, -0.5f, -2.0f);
    c.yaw = 1.0f;
    glm::vec4 clip = orthographicMatrix(c, meshCenter, 1.5f) * viewMatrix(c) *
                     glm::vec4(meshCenter[0], meshCenter[1], meshCenter[2], 1.0f);
    EXPECT_GT(clip.z, -1.0f);
    EXPECT_LT(clip.z, 1.0f);
}

TEST(Camera, ResetForMeshFramesByRadiusWithinBounds) {
    Camera c = startupCamera();
    c.yaw = 2.0f;
    c.pitch = -0.5f;
    c.minDistance = 3.0f;
    c.center = glm::vec3(9.0f);
    const float meshCenter[3] = {1.0f, 2.0f, 3.0f};

    resetCameraForMesh(c, 10.0f, meshCenter, false);
    EXPECT_NEAR(c.distance, 12.990381f, 1e-5f);
    EXPECT_EQ(c.yaw, 0.0f);
    EXPECT_EQ(c.pitch, 0.0f);
    EXPECT_EQ(c.minDistance, 0.1f);
    EXPECT_EQ(c.center, glm::vec3(1, 2, 3));

    resetCameraForMesh(c, 1000.0f, meshCenter, false);
    EXPECT_EQ(c.distance, 500.0f);
    resetCameraForMesh(c, 0.01f, meshCenter, false);
    EXPECT_FLOAT_EQ(c.distance, 0.1f);

    // A loader that centred the model leaves the home centre in place.
    c.center = glm::vec3(9.0f);
    resetCameraForMesh(c, 10.0f, meshCenter, true);
    EXPECT_EQ(c.center, glm::vec3(0.0f));
}

TEST_F(MouseControl, LeftDragOrbitsAndPitchStopsAtLimit) {
    frame(100, 767);  // y upwards: 0
    EXPECT_EQ(lastCursorX, 100.0f);
    EXPECT_EQ(lastCursorY, 0.0f);
    frame(110, 767 - 40, true);  // 10 right, 40 up
    EXPECT_NEAR(cam.pitch, 40 * 0.004363323f, 1e-6f);
    EXPECT_NEAR(cam.yaw, 10 * 0.004363323f, 1e-6f);

    frame(110, 767 - 1000, true);  // far upwards
    EXPECT_EQ(cam.pitch, 1.569051f);
    frame(110, 767 - 1200, true);
    EXPECT_EQ(cam.pitch, 1.569051f);
    frame(110, 767 - 1199, true);  // one pixel back down acts at once
    EXPECT_NEAR(cam.pitch, 1.569051f - 0.004363323f, 1e-6f);
    frame(110, 767 + 5000, true);
    EXPECT_EQ(cam.pitch, -1.569051f);

    // Without a button only the cursor bookkeeping moves.
    Camera before = cam;
    frame(500, 100);
    EXPECT_EQ(cam.yaw, before.yaw);
    EXPECT_EQ(cam.pitch, before.pitch);
    EXPECT_EQ(cam.center, before.center);
}

TEST_F(MouseControl, RightOrMiddleDragPansAgainstTheDrag) {
    frame(0, 767);
    frame(10, 767, false, true);  // 10 px right, radius 10: k = 2
    EXPECT_NEAR(cam.center.x, 10 * -0.01f * 2.0f, 1e-6f);
    frame(10, 767 - 5, false, false, true);  // middle, 5 px up
    EXPECT_NEAR(cam.center.y, 5 * -0.01f * 2.0f, 1e-6f);

    // Both kinds of button: orbit first, then pan with the new angles.
    Camera expected = cam;
    expected.yaw += 100 * 0.004363323f;
    expected.pan(100 * -0.01f * 2.0f, 0.0f);
    frame(110, 767 - 5, true, true);
    EXPECT_NEAR(cam.center.x, expected.center.x, 1e-5f);
    EXPECT_NEAR(cam.center.z, expected.center.z, 1e-5f);

    // Without a mesh, panning does nothing.
    glm::vec3 c = cam.center;
    frame(500, 100, false, true, false, false, 0.0f);
    EXPECT_EQ(cam.center, c);
}

TEST_F(MouseControl, ScrollZoomsByRadiusWithShiftAndBounds) {
    scroll = 1.0f;
    frame(0, 767);
    EXPECT_FLOAT_EQ(cam.distance, 5.0f);  // 1 * 0.5 * 2
    EXPECT_EQ(scroll, 0.0f);
    scroll = 1.0f;
    frame(0, 767, false, false, false, true);
    EXPECT_FLOAT_EQ(cam.distance, 0.1f);  // 5 - 5 hits the lower bound
    scroll = -1000.0f;
    frame(0, 767);
    EXPECT_EQ(cam.distance, 500.0f);

    // Before a mesh the scroll is consumed without effect.
    scroll = 3.0f;
    frame(0, 767, false, false, false, false, 0.0f);
    EXPECT_EQ(cam.distance, 500.0f);
    EXPECT_EQ(scroll, 0.0f);
}
