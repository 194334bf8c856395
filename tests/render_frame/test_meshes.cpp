#include "frame_fixture.h"

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

namespace {

// A surface of revolution about x: a ring of `segments` vertices at each
// (x, radius) of the profile, closed by a flat fan at either end.
TestMesh revolve(const std::vector<std::pair<double, double>>& profile, int segments) {
    const int rings = static_cast<int>(profile.size()), capA = rings * segments;
    TestMesh m;
    m.V.resize(capA + 2, 3);
    for (int i = 0; i < rings; ++i)
        for (int s = 0; s < segments; ++s) {
            const double phi = 2.0 * M_PI * s / segments, r = profile[i].second;
            m.V.row(i * segments + s) << profile[i].first, r * std::cos(phi), r * std::sin(phi);
        }
    m.V.row(capA) << profile.front().first, 0, 0;
    m.V.row(capA + 1) << profile.back().first, 0, 0;
    m.F.resize(2 * segments * rings, 3);
    auto at = [&](int i, int s) { return i * segments + s % segments; };
    int f = 0;
    for (int s = 0; s < segments; ++s) {
        for (int i = 0; i + 1 < rings; ++i) {
            m.F.row(f++) << at(i, s), at(i, s + 1), at(i + 1, s + 1);
            m.F.row(f++) << at(i, s), at(i + 1, s + 1), at(i + 1, s);
        }
        m.F.row(f++) << capA, at(0, s + 1), at(0, s);
        m.F.row(f++) << capA + 1, at(rings - 1, s), at(rings - 1, s + 1);
    }
    return m;
}

}  // namespace

TestMesh unitSphere(int segments, int rings) {
    std::vector<std::pair<double, double>> profile;
    for (int i = 1; i < rings; ++i)
        profile.emplace_back(-std::cos(M_PI * i / rings), std::sin(M_PI * i / rings));
    return revolve(profile, segments);  // the flat caps lie within a hair of the poles
}

TestMesh tube(double from, double to, double r, int segments, int slices,
              const Eigen::Vector3d& offset) {
    std::vector<std::pair<double, double>> profile;
    for (int i = 0; i <= slices; ++i) profile.emplace_back(from + (to - from) * i / slices, r);
    TestMesh m = revolve(profile, segments);
    m.V.rowwise() += offset.transpose();
    return m;
}

std::string writeOff(const std::string& name, const std::vector<TestMesh>& parts) {
    static const auto folder = std::filesystem::temp_directory_path() /
                               ("morvik_render_frame_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / name).string();
    std::ofstream out(path);
    out.precision(17);
    long vertices = 0, faces = 0;
    for (const TestMesh& m : parts) vertices += m.V.rows(), faces += m.F.rows();
    out << "OFF\n" << vertices << " " << faces << " 0\n";
    for (const TestMesh& m : parts) out << m.V << "\n";
    vertices = 0;
    for (const TestMesh& m : parts) {
        for (int i = 0; i < m.F.rows(); ++i) out << "3 " << m.F.row(i).array() + vertices << "\n";
        vertices += m.V.rows();
    }
    return path;
}
