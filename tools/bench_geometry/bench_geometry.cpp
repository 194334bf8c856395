// Prints how long principal curvature and the heat-method precompute and
// solve take on closed tubes of about 5,000, 20,000 and 100,000 vertices
// (the median of several runs, in milliseconds).
//   bench_geometry [runs]

#include <Eigen/Core>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

#include "geometry/avg_edge_length.h"
#include "geometry/heat_geodesics.h"
#include "geometry/principal_curvature.h"

namespace {

const double kPi = 3.14159265358979323846;

// A gently bent tube of radius 1 closed by a pole vertex at each end: the
// shape of one vessel. rings * segments + 2 vertices.
void bentTube(int rings, int segments, Eigen::MatrixXd& V, Eigen::MatrixXi& F) {
    const double length = 2.0 * kPi * rings / segments;  // square-ish quads
    V.resize(rings * segments + 2, 3);
    for (int r = 0; r < rings; ++r) {
        const double z = length * r / (rings - 1);
        const double bend = 0.1 * length * std::sin(z / length * kPi);
        for (int s = 0; s < segments; ++s) {
            const double a = 2.0 * kPi * s / segments;
            V.row(r * segments + s) << std::cos(a) + bend, std::sin(a), z;
        }
    }
    const int south = rings * segments, north = south + 1;
    V.row(south) << 0.0, 0.0, -0.5;
    V.row(north) << 0.0, 0.0, length + 0.5;
    F.resize(2 * (rings - 1) * segments + 2 * segments, 3);
    int f = 0;
    for (int r = 0; r + 1 < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            const int a = r * segments + s, b = r * segments + (s + 1) % segments;
            F.row(f++) << a, b, b + segments;
            F.row(f++) << a, b + segments, a + segments;
        }
    for (int s = 0; s < segments; ++s) {
        F.row(f++) << south, (s + 1) % segments, s;
        const int top = (rings - 1) * segments;
        F.row(f++) << north, top + s, top + (s + 1) % segments;
    }
}

double medianMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int k = 0; k < runs; ++k) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto stop = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    std::printf("hardware threads: %u, runs per figure: %d (median)\n",
                std::thread::hardware_concurrency(), runs);
    std::printf("%10s %10s %22s %20s %16s\n", "vertices", "faces", "principal_curvature ms",
                "heat precompute ms", "heat solve ms");
    const int sizes[][2] = {{100, 50}, {200, 100}, {500, 200}};  // rings, segments
    for (const auto& size : sizes) {
        Eigen::MatrixXd V;
        Eigen::MatrixXi F;
        bentTube(size[0], size[1], V, F);
        Eigen::MatrixXd PD1, PD2;
        Eigen::VectorXd PV1, PV2, D;
        const double curvature = medianMs(
            runs, [&] { geometry::principal_curvature(V, F, PD1, PD2, PV1, PV2, 5, true); });
        const double h = geometry::avg_edge_length(V, F);
        geometry::HeatGeodesicsData data;
        bool ok = true;
        const double precompute = medianMs(runs, [&] {
            geometry::HeatGeodesicsData fresh;
            ok = geometry::heat_geodesics_precompute(V, F, h * h, fresh) && ok;
        });
        ok = geometry::heat_geodesics_precompute(V, F, h * h, data) && ok;
        const double solve = medianMs(
            runs, [&] { geometry::heat_geodesics_solve(data, Eigen::VectorXi::Zero(1), D); });
        std::printf("%10ld %10ld %22.2f %20.2f %16.2f%s\n", static_cast<long>(V.rows()),
                    static_cast<long>(F.rows()), curvature, precompute, solve,
                    ok ? "" : "  (precompute failed)");
    }
    return 0;
}
