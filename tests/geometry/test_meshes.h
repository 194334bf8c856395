#pragma once
// Small named meshes built in code, shared by the test suites. Every closed
// mesh has outward-facing triangles (counter-clockwise seen from outside).

#include <Eigen/Core>

namespace test_meshes {

struct Mesh {
    Eigen::MatrixXd V;  // #V by 3
    Eigen::MatrixXi F;  // #F by 3
};

// Unit cube [0,1]^3 as 12 triangles over its 8 corners.
Mesh cube();

// Sphere of the given radius around the origin: an icosahedron subdivided
// `levels` times, new vertices pushed onto the sphere (10 * 4^levels + 2 vertices).
Mesh icosphere(double radius, int levels);

// Open tube of the given radius along z, from z = 0 to z = length, with
// `rings` rings of `segments` vertices (no caps; both ends are boundaries).
Mesh cylinder(double radius, double length, int rings, int segments);

// Closed capsule along z: a tube of radius r from z = 0 to z = length with a
// hemisphere on each end; a vessel segment with two ends.
Mesh capsule(double radius, double length, int rings, int segments);

// Torus around the z axis: tube centre circle of radius R, tube radius r,
// n segments around z, m around the tube.
Mesh torus(double R, double r, int n, int m);

// Flat square grid in the z = 0 plane, (nx+1) by (ny+1) vertices over
// [0, sx] by [0, sy], each cell split along its diagonal; normals +z.
Mesh grid(int nx, int ny, double sx, double sy);

// The same triangles with every corner's order reversed (inward faces).
Mesh flipped(const Mesh& m);

// Triangle soup: every face gets its own three vertex rows.
Mesh soup(const Mesh& m);

}  // namespace test_meshes
