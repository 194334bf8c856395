#include "test_meshes.h"

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>

namespace {

std::string tempFolder() {
    static const std::string folder = [] {
        auto path = std::filesystem::temp_directory_path() /
                    ("morvik_render_frame_" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path.string();
    }();
    return folder;
}

}  // namespace

TestMesh uvSphere(const Eigen::Vector3d& centre, double radius, int segments, int rings) {
    TestMesh m;
    const int n = 2 + segments * (rings - 1);
    m.V.resize(n, 3);
    m.V.row(0) = (centre + Eigen::Vector3d(0, radius, 0)).transpose();
    m.V.row(1) = (centre - Eigen::Vector3d(0, radius, 0)).transpose();
    for (int r = 1; r < rings; ++r) {
        const double theta = M_PI * r / rings;
        for (int s = 0; s < segments; ++s) {
            const double phi = 2.0 * M_PI * s / segments;
            Eigen::Vector3d p(std::sin(theta) * std::cos(phi), std::cos(theta),
                              -std::sin(theta) * std::sin(phi));
            m.V.row(2 + (r - 1) * segments + s) = (centre + radius * p).transpose();
        }
    }
    auto at = [&](int r, int s) { return 2 + (r - 1) * segments + (s % segments); };
    std::vector<Eigen::Vector3i> tris;
    for (int s = 0; s < segments; ++s) {
        tris.emplace_back(0, at(1, s), at(1, s + 1));
        tris.emplace_back(1, at(rings - 1, s + 1), at(rings - 1, s));
        for (int r = 1; r + 1 < rings; ++r) {
            tris.emplace_back(at(r, s), at(r + 1, s), at(r + 1, s + 1));
            tris.emplace_back(at(r, s), at(r + 1, s + 1), at(r, s + 1));
        }
    }
    m.F.resize(tris.size(), 3);
    for (size_t i = 0; i < tris.size(); ++i) m.F.row(i) = tris[i].transpose();
    return m;
}

TestMesh cappedTube(int axis, double from, double to, double radius, const Eigen::Vector3d& offset,
                    int segments, int slices) {
    // Built along x, then the coordinates are rotated so that x becomes the axis.
    TestMesh m;
    const int ring = segments;
    m.V.resize(ring * (slices + 1) + 2, 3);
    for (int i = 0; i <= slices; ++i) {
        const double x = from + (to - from) * i / slices;
        for (int s = 0; s < ring; ++s) {
            const double phi = 2.0 * M_PI * s / ring;
            m.V.row(i * ring + s) << x, radius * std::cos(phi), radius * std::sin(phi);
        }
    }
    const int capA = ring * (slices + 1), capB = capA + 1;
    m.V.row(capA) << from, 0, 0;
    m.V.row(capB) << to, 0, 0;
    std::vector<Eigen::Vector3i> tris;
    auto at = [&](int i, int s) { return i * ring + (s % ring); };
    for (int s = 0; s < ring; ++s) {
        for (int i = 0; i < slices; ++i) {
            tris.emplace_back(at(i, s), at(i, s + 1), at(i + 1, s + 1));
            tris.emplace_back(at(i, s), at(i + 1, s + 1), at(i + 1, s));
        }
        tris.emplace_back(capA, at(0, s + 1), at(0, s));
        tris.emplace_back(capB, at(slices, s), at(slices, s + 1));
    }
    m.F.resize(tris.size(), 3);
    for (size_t i = 0; i < tris.size(); ++i) m.F.row(i) = tris[i].transpose();
    // Cyclic permutations of the coordinates keep the orientation.
    Eigen::MatrixXd rotated(m.V.rows(), 3);
    for (int k = 0; k < 3; ++k) rotated.col((k + axis) % 3) = m.V.col(k);
    m.V = rotated.rowwise() + offset.transpose();
    return m;
}

TestMesh combine(const TestMesh& a, const TestMesh& b) {
    TestMesh m;
    m.V.resize(a.V.rows() + b.V.rows(), 3);
    m.V << a.V, b.V;
    m.F.resize(a.F.rows() + b.F.rows(), 3);
    m.F << a.F, (b.F.array() + static_cast<int>(a.V.rows())).matrix();
    return m;
}

std::string writeText(const std::string& name, const std::string& text) {
    const std::string path = tempFolder() + "/" + name;
    std::ofstream(path) << text;
    return path;
}

std::string writeOff(const std::string& name, const TestMesh& mesh) {
    std::ostringstream out;
    out.precision(17);
    out << "OFF\n" << mesh.V.rows() << " " << mesh.F.rows() << " 0\n";
    for (int i = 0; i < mesh.V.rows(); ++i)
        out << mesh.V(i, 0) << " " << mesh.V(i, 1) << " " << mesh.V(i, 2) << "\n";
    for (int i = 0; i < mesh.F.rows(); ++i)
        out << "3 " << mesh.F(i, 0) << " " << mesh.F(i, 1) << " " << mesh.F(i, 2) << "\n";
    return writeText(name, out.str());
}
