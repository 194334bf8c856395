#include "analysis/end_sections.h"

#include <Eigen/Geometry>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace {

uint64_t edgeKey(int a, int b) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(std::min(a, b))) << 32) |
           static_cast<uint32_t>(std::max(a, b));
}

void addLoops(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F,
              const std::unordered_map<uint64_t, std::vector<int>>& edgeFaces,
              std::vector<EndSection>& sections) {
    std::unordered_map<int, int> next;  // boundary half-edges as the faces turn
    for (Eigen::Index f = 0; f < F.rows(); ++f)
        for (int k = 0; k < 3; ++k) {
            const int a = F(f, k), b = F(f, (k + 1) % 3);
            if (a != b && edgeFaces.at(edgeKey(a, b)).size() == 1) next.emplace(a, b);
        }
    std::unordered_map<int, char> walked;
    for (const auto& [start, unused] : next) {
        if (walked.count(start)) continue;
        std::vector<int> loop{start};
        walked[start] = 1;
        for (auto step = next.find(start); step != next.end() && step->second != start;
             step = next.find(loop.back())) {
            if (walked.count(step->second)) break;  // runs into another loop: not closed
            loop.push_back(step->second);
            walked[step->second] = 1;
        }
        const auto last = next.find(loop.back());
        if (loop.size() < 3 || last == next.end() || last->second != start) continue;
        EndSection s;
        double length = 0.0;
        for (size_t k = 0; k < loop.size(); ++k) {
            const Eigen::Vector3d a = V.row(loop[k]), b = V.row(loop[(k + 1) % loop.size()]);
            s.centre += (a - b).norm() * 0.5 * (a + b);
            length += (a - b).norm();
        }
        if (!(length > 0.0)) continue;
        s.centre /= length;
        for (int v : loop) s.radius += (V.row(v).transpose() - s.centre).norm() / loop.size();
        if (std::isfinite(s.radius)) sections.push_back(s);
    }
}

void addCaps(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F,
             const std::unordered_map<uint64_t, std::vector<int>>& edgeFaces,
             std::vector<EndSection>& sections) {
    const Eigen::Index faceCount = F.rows();
    Eigen::MatrixXd N(faceCount, 3);
    Eigen::VectorXd area(faceCount);
    for (Eigen::Index f = 0; f < faceCount; ++f) {
        const Eigen::Vector3d a = V.row(F(f, 0)), b = V.row(F(f, 1)), c = V.row(F(f, 2));
        const Eigen::Vector3d n = (b - a).cross(c - a);
        area(f) = 0.5 * n.norm();
        N.row(f).setZero();
        if (area(f) > 0.0 && std::isfinite(area(f))) N.row(f) = (n / n.norm()).transpose();
    }
    const double within = std::cos(kCapAngle * M_PI / 180.0);
    std::vector<char> taken(static_cast<size_t>(faceCount), 0);
    std::vector<int> region;
    for (Eigen::Index seed = 0; seed < faceCount; ++seed) {
        if (taken[seed] || N.row(seed).isZero()) continue;
        // Every face against the seed's normal, not its neighbour's: a
        // smooth wall bends away within a few faces.
        region.assign(1, static_cast<int>(seed));
        taken[seed] = 1;
        for (size_t k = 0; k < region.size(); ++k)
            for (int e = 0; e < 3; ++e) {
                const int f = region[k];
                for (int g : edgeFaces.at(edgeKey(F(f, e), F(f, (e + 1) % 3))))
                    if (!taken[g] && N.row(g).dot(N.row(seed)) >= within) {
                        taken[g] = 1;
                        region.push_back(g);
                    }
            }
        if (static_cast<int>(region.size()) < kCapFaces) continue;
        double total = 0.0;
        Eigen::Vector3d centre = Eigen::Vector3d::Zero();
        for (int f : region) {
            total += area(f);
            centre +=
                area(f) * (V.row(F(f, 0)) + V.row(F(f, 1)) + V.row(F(f, 2))).transpose() / 3.0;
        }
        centre /= total;
        double farthest = 0.0;
        for (int f : region)
            for (int k = 0; k < 3; ++k)
                farthest = std::max(farthest, (V.row(F(f, k)).transpose() - centre).norm());
        if (total >= 0.5 * M_PI * farthest * farthest && std::isfinite(total))
            sections.push_back({centre, std::sqrt(total / M_PI)});
    }
}

}  // namespace

std::vector<EndSection> findEndSections(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    std::unordered_map<uint64_t, std::vector<int>> edgeFaces;
    edgeFaces.reserve(static_cast<size_t>(F.rows()) * 2);
    for (Eigen::Index f = 0; f < F.rows(); ++f)
        for (int k = 0; k < 3; ++k)
            edgeFaces[edgeKey(F(f, k), F(f, (k + 1) % 3))].push_back(static_cast<int>(f));
    std::vector<EndSection> sections;
    addLoops(V, F, edgeFaces, sections);
    addCaps(V, F, edgeFaces, sections);
    return sections;
}
