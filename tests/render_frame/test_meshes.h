#pragma once
// Small closed meshes written as OFF files for the frame tests, built once
// per process in a temporary folder.

#include <Eigen/Core>
#include <string>

struct TestMesh {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
};

// A UV sphere about centre, outward-facing triangles.
TestMesh uvSphere(const Eigen::Vector3d& centre, double radius, int segments, int rings);
// A capped tube from a to b (axis along x, y or z: axis 0, 1, 2) at the given
// offset, radius r. The two cap centres are the last two vertices (a, then b).
TestMesh cappedTube(int axis, double from, double to, double radius, const Eigen::Vector3d& offset,
                    int segments, int slices);
// Both meshes in one.
TestMesh combine(const TestMesh& a, const TestMesh& b);

// Writes the mesh as OFF under the suite's temporary folder; returns the path.
std::string writeOff(const std::string& name, const TestMesh& mesh);
// Writes raw text under the temporary folder; returns the path.
std::string writeText(const std::string& name, const std::string& text);
