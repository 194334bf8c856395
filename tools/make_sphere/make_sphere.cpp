// Writes the unit icosphere drawn at the tree's endpoints: an icosahedron
// subdivided three times (642 vertices, 1280 faces), every vertex on the unit
// sphere, faces counter-clockwise seen from outside.
//   make_sphere [output folder]   (default assets/models)

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "vessel_tree.h"

namespace {

struct Icosphere {
    std::vector<Eigen::Vector3d> points;
    std::vector<Eigen::Vector3i> faces;
};

Icosphere icosahedron() {
    const double t = (1.0 + std::sqrt(5.0)) / 2.0;
    Icosphere s;
    const double p[12][3] = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                             {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                             {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    for (const auto& q : p) s.points.push_back(Eigen::Vector3d(q[0], q[1], q[2]).normalized());
    const int f[20][3] = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                          {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                          {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                          {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    for (const auto& q : f) s.faces.emplace_back(q[0], q[1], q[2]);
    return s;
}

// Splits every triangle into four; edge midpoints are shared between the two
// faces of an edge and pushed out onto the sphere.
void subdivide(Icosphere& s) {
    std::map<std::pair<int, int>, int> midpoints;
    auto midpoint = [&](int a, int b) {
        const auto key = std::make_pair(std::min(a, b), std::max(a, b));
        auto it = midpoints.find(key);
        if (it != midpoints.end()) return it->second;
        s.points.push_back((s.points[a] + s.points[b]).normalized());
        return midpoints[key] = int(s.points.size()) - 1;
    };
    std::vector<Eigen::Vector3i> faces;
    for (const auto& f : s.faces) {
        const int ab = midpoint(f[0], f[1]), bc = midpoint(f[1], f[2]), ca = midpoint(f[2], f[0]);
        faces.emplace_back(f[0], ab, ca);
        faces.emplace_back(f[1], bc, ab);
        faces.emplace_back(f[2], ca, bc);
        faces.emplace_back(ab, bc, ca);
    }
    s.faces = faces;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string path = std::string(argc > 1 ? argv[1] : "assets/models") + "/sphere.off";
    Icosphere s = icosahedron();
    for (int i = 0; i < 3; ++i) subdivide(s);

    Eigen::MatrixXd V(s.points.size(), 3);
    Eigen::MatrixXi F(s.faces.size(), 3);
    for (size_t i = 0; i < s.points.size(); ++i) V.row(i) = s.points[i].transpose();
    for (size_t i = 0; i < s.faces.size(); ++i) F.row(i) = s.faces[i].transpose();

    const vessel_tree::MeshReport report = vessel_tree::checkMesh(V, F);
    if (!report.closedManifold() || report.signedVolume <= 0) {
        std::printf("sphere is not a closed outward surface\n");
        return 1;
    }
    if (!vessel_tree::writeOff(path, V, F)) {
        std::printf("cannot write %s\n", path.c_str());
        return 1;
    }
    std::printf("%s: %d vertices, %d faces, volume %.4f\n", path.c_str(), report.vertices,
                report.faces, report.signedVolume);
    return 0;
}
