// Times the generator for each kind of tree at the sizes the analysis tests
// and benchmarks ask for. The plain round-ended tree of the same size is the
// baseline: each kind's time is also given as a ratio to it, from medians of
// three runs, since the machines are shared.
//   bench_vessel_tree [vertex target ...]   (default 25000 100000 200000)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "vessel_tree.h"

namespace {

using vessel_tree::Ends;
using vessel_tree::Shape;

struct Kind {
    const char* name;
    vessel_tree::TreeOptions options;
};

// Median seconds of three runs; the last mesh is left in V, F.
double medianSeconds(const vessel_tree::TreeOptions& options, Eigen::MatrixXd& V,
                     Eigen::MatrixXi& F) {
    std::vector<double> seconds;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        vessel_tree::treeMesh(options, V, F);
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[1];
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> targets;
    for (int i = 1; i < argc; ++i) targets.push_back(std::atoi(argv[i]));
    if (targets.empty()) targets = {25000, 100000, 200000};
    const Kind kinds[] = {
        {"round", {}},
        {"flat caps", {12, 0, 4, Shape::Bushy, Ends::Flat}},
        {"open, slivers", {12, 0, 4, Shape::Bushy, Ends::Open, true}},
        {"long, flat, slivers", {6, 0, 4, Shape::Long, Ends::Flat, true}},
        {"wide trunk, open", {6, 0, 4, Shape::WideTrunk, Ends::Open}},
    };
    for (int target : targets) {
        double baseline = 0;
        for (const Kind& kind : kinds) {
            vessel_tree::TreeOptions options = kind.options;
            options.targetVertices = target;
            Eigen::MatrixXd V;
            Eigen::MatrixXi F;
            const double seconds = medianSeconds(options, V, F);
            if (baseline == 0) baseline = seconds;
            const vessel_tree::MeshReport r = vessel_tree::checkMesh(V, F);
            const bool sound = r.nonManifoldEdges == 0 && r.nonManifoldVertices == 0 &&
                               r.misorientedEdges == 0 && r.components == 1;
            std::printf(
                "target %7d  %-20s %7d vertices in %.3f s (%.2fx round), %s, min angle %.2f "
                "deg\n",
                target, kind.name, r.vertices, seconds, seconds / baseline,
                sound ? "manifold, one piece" : "BROKEN", r.minAngleDegrees);
        }
    }
    return 0;
}
