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

// Sphere around the origin: an icosahedron subdivided `levels` times, new
// vertices pushed onto the sphere (10 * 4^levels + 2 vertices).
Mesh icosphere(double radius, int levels);

// Open tube along z from z = 0 to length: `rings` rings of `segments` vertices.
Mesh cylinder(double radius, double length, int rings, int segments);

// That tube closed by a flat fan from each end ring to the ring's centre.
Mesh cappedCylinder(double radius, double length, int rings, int segments);

// Torus around z: centre circle radius R, tube radius r, n by m segments.
Mesh torus(double R, double r, int n, int m);

// Grid of (nx+1) by (ny+1) vertices over [0, sx] by [0, sy] at z = 0; normals +z.
Mesh grid(int nx, int ny, double sx, double sy);

// The same triangles with every corner's order reversed (inward faces).
Mesh flipped(const Mesh& m);

// Triangle soup: every face gets its own three vertex rows.
Mesh soup(const Mesh& m);

}  // namespace test_meshes
