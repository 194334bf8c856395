// A frame leaves no GL error behind, with or without a mesh: with the debug
// output on, every error would print a console line in every frame.
#include "frame_fixture.h"
#include "test_meshes.h"

namespace {

GLenum drainErrors() {
    GLenum first = GL_NO_ERROR;
    for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError())
        if (first == GL_NO_ERROR) first = e;
    return first;
}

}  // namespace

using FrameErrors = FrameTest;

TEST_F(FrameErrors, NoVariantOfTheFrameRaisesAGLError) {
    drainErrors();
    drawFrame();  // no mesh loaded yet
    EXPECT_EQ(drainErrors(), GLenum(GL_NO_ERROR)) << "no mesh";
    renderer.addContours = false;
    drawFrame();
    EXPECT_EQ(drainErrors(), GLenum(GL_NO_ERROR)) << "no mesh, contour lines";

    load(writeOff("tube_err.off", cappedTube(0, -1.5, 1.5, 0.3, Eigen::Vector3d::Zero(), 16, 4)));
    renderer.endpoints = {static_cast<int>(renderer.V.rows()) - 1};
    renderer.renderEndpoints = true;
    for (bool contours : {true, false}) {
        renderer.addContours = contours;
        drawFrame();
        EXPECT_EQ(drainErrors(), GLenum(GL_NO_ERROR)) << "mesh, contours " << contours;
    }

    // A failed load empties the mesh again.
    testing::internal::CaptureStdout();
    EXPECT_FALSE(renderer.loadMeshFile("/nonexistent/morvik/none.off"));
    testing::internal::GetCapturedStdout();
    drawFrame();
    EXPECT_EQ(drainErrors(), GLenum(GL_NO_ERROR)) << "after a failed load";
}
