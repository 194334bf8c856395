// bench_realdata [--generated] [name ...]
// Runs the mesh-loading driver's analysis on every real vessel surface in
// ../shared/realdata (or on those named), decompressed into the build folder,
// and prints per mesh: vertices, seconds per stage, endpoints against the
// known ends, the root's and the nearest endpoint's distance from the inlet
// in units of the inlet's radius R, whether U is finite, U's rank
// correlation with the heat distance from the inlet vertex, and how far that
// distance reaches against the longest edge path. Then one summary line.
// --generated also times a generated tree of each mesh's size and prints the
// ratio; --ends lists every endpoint with its distance from the inlet and
// the curvature measure that root choice compares. Without the folder it says so and exits 0.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/curvature_measure.h"
#include "realdata.h"
#include "vessel_tree.h"

namespace {

// The analysis prints its own progress lines; the table is easier to read
// without them.
template <typename Body>
void quietly(const Body& body) {
    std::fflush(stdout);
    const int console = dup(STDOUT_FILENO), quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, STDOUT_FILENO);
    body();
    std::fflush(stdout);
    dup2(console, STDOUT_FILENO);
    close(quiet);
    close(console);
}

const char* yesNo(bool value) {
    return value ? "yes" : "no";
}

}  // namespace

int main(int argc, char** argv) {
    bool generated = false, listEnds = false;
    std::vector<std::string> only;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--generated")
            generated = true;
        else if (arg == "--ends")
            listEnds = true;
        else
            only.push_back(arg);
    }
    const std::string folder = realdata::folder();
    if (folder.empty()) {
        std::printf("bench_realdata: no real vessel surfaces (../shared/realdata is absent)\n");
        return 0;
    }
    int withInlet = 0, rootRight = 0, endsRight = 0, correlated = 0, reaching = 0, clean = 0,
        others = 0;
    double slowest = 0.0;
    std::printf("%-30s %7s  %6s %6s %6s %6s %6s %6s  %9s %6s %6s %5s %6s %6s\n", "mesh", "verts",
                "merge", "contr", "ends", "root", "U", "total", "endpoints", "root/R", "near/R",
                "Ufin", "rank", "reach");
    for (const realdata::Mesh& mesh : realdata::meshes(folder)) {
        if (!only.empty() && std::find(only.begin(), only.end(), mesh.name) == only.end()) continue;
        Eigen::MatrixXd V;
        Eigen::MatrixXi F;
        if (!realdata::load(folder, mesh, V, F)) continue;
        realdata::Analysis a;
        realdata::Judgement j;
        quietly([&] {
            a = realdata::analyse(V, F);
            j = realdata::judge(mesh, a);
        });
        const std::string ends = std::to_string(a.endpoints.size()) + "/" +
                                 (mesh.hasInlet() ? std::to_string(mesh.ends) : std::string("-"));
        std::printf(
            "%-30s %7d  %6.2f %6.2f %6.2f %6.2f %6.2f %6.2f  %9s %6.2f %6.2f %5s %6.3f %6.3f",
            mesh.name.c_str(), static_cast<int>(a.V.rows()), a.merge, a.contraction, a.endpointTime,
            a.rootTime, a.uField, a.total(), ends.c_str(), j.rootDistance, j.nearestEndpoint,
            a.root >= 0 ? yesNo(j.uFinite) : "-", j.rankCorrelation, j.heatReach);
        if (generated) {
            Eigen::MatrixXd GV;
            Eigen::MatrixXi GF;
            vessel_tree::treeMesh({12, static_cast<int>(a.V.rows()), 4}, GV, GF);
            realdata::Analysis g;
            quietly([&] { g = realdata::analyse(GV, GF); });
            const double ratio = a.total() / g.total();
            slowest = std::max(slowest, ratio);
            std::printf("  %.2fx generated", ratio);
        }
        std::printf("\n");
        if (listEnds) {
            const CurvatureMeasure measure(a.V, a.F);
            for (int e : a.endpoints) {
                bool cut = false;
                const double q = measure.around(e, &cut);
                std::printf("    endpoint %7d  %6.2f R from the inlet  measure %.4g%s%s\n", e,
                            (a.V.row(e) - mesh.inlet.transpose()).norm() / mesh.R, q,
                            cut ? " (a cut end)" : "", e == a.root ? "  root" : "");
            }
        }
        std::fflush(stdout);
        if (mesh.hasInlet()) {
            ++withInlet;
            rootRight += j.rootRight();
            endsRight += j.endsRight(mesh.ends, static_cast<int>(a.endpoints.size()));
            correlated += j.correlated();
            reaching += j.heatReach >= 0.9;
        } else {
            ++others;
            clean += a.root < 0 || j.uFinite;
        }
    }
    std::printf(
        "summary: of %d with an inlet, root at the inlet %d, endpoints within one of the ends %d, "
        "U rank-correlated >= 0.9 %d, heat distance reaching >= 90%% of the edge path %d; of %d "
        "others, %d end cleanly",
        withInlet, rootRight, endsRight, correlated, reaching, others, clean);
    if (generated) std::printf("; slowest %.2fx a generated tree of its size", slowest);
    std::printf("\n");
    return 0;
}
