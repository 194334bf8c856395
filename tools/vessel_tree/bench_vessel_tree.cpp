// Times the generator: the example tree's size and the 100,000-vertex tree
// the analysis benchmark asks for.
//   bench_vessel_tree [vertex target ...]   (default 25000 100000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "vessel_tree.h"

int main(int argc, char** argv) {
    std::vector<int> targets;
    for (int i = 1; i < argc; ++i) targets.push_back(std::atoi(argv[i]));
    if (targets.empty()) targets = {25000, 100000};
    for (int target : targets) {
        vessel_tree::TreeOptions options;
        options.targetVertices = target;
        Eigen::MatrixXd V;
        Eigen::MatrixXi F;
        const auto start = std::chrono::steady_clock::now();
        vessel_tree::treeMesh(options, V, F);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const vessel_tree::MeshReport r = vessel_tree::checkMesh(V, F);
        std::printf("target %7d: %7d vertices in %.3f s (%s, min angle %.1f deg)\n", target,
                    r.vertices, seconds,
                    r.closedManifold() && r.components == 1 ? "closed manifold" : "BROKEN",
                    r.minAngleDegrees);
    }
    return 0;
}
