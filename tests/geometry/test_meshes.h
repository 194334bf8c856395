#pragma once
// Small named meshes built in code, shared by the test suites. Every closed
// mesh has outward-facing triangles (counter-clockwise seen from outside).

#include <Eigen/Core>

namespace test_meshes {

struct Mesh {
    Eigen::MatrixXd V;  // #V by 3
    Eigen::MatrixXi F;  // #F by 3
};

// An icosahedron subdivided `levels` times, pushed onto the sphere.
Mesh icosphere(double radius, int levels);
// Open tube along z from 0 to length: `rings` rings of `segments` vertices.
Mesh cylinder(double radius, double length, int rings, int segments);
// That tube with a flat fan from each end ring to its centre (the last two).
Mesh cappedCylinder(double radius, double length, int rings, int segments);
// (nx+1) by (ny+1) vertices over [0, sx] by [0, sy] at z = 0; normals +z.
Mesh grid(int nx, int ny, double sx, double sy);

}  // namespace test_meshes
