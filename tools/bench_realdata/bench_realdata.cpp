// bench_realdata [--generated] [--ends] [--runs R] [name ...]
// Runs the mesh-loading driver's analysis on every real vessel surface in
// ../shared/realdata (or on those named), decompressed into the build folder,
// and prints per mesh: vertices, seconds per stage, endpoints against the
// known ends, the root's and the nearest endpoint's distance from the inlet
// in units of the inlet's radius R, whether U is finite, U's rank
// correlation with the heat distance from the inlet vertex, and how far that
// distance reaches against the longest edge path. Then one summary line.
// --generated also times a generated tree of each mesh's size and prints the
// ratio; --runs R (1) analyses each R times, in turn with its generated tree,
// and quotes the median of each stage; --ends lists every endpoint with its distance from the inlet
// and the curvature measure that root choice compares. Without the folder it says so and exits 0.
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

// The first run's results with each stage's median over the runs.
realdata::Analysis medianOf(std::vector<realdata::Analysis>& runs) {
    realdata::Analysis m = runs.front();
    for (double realdata::Analysis::*stage :
         {&realdata::Analysis::merge, &realdata::Analysis::contraction,
          &realdata::Analysis::endpointTime, &realdata::Analysis::rootTime,
          &realdata::Analysis::uField}) {
        std::vector<double> values;
        for (const realdata::Analysis& a : runs) values.push_back(a.*stage);
        std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
        m.*stage = values[values.size() / 2];
    }
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    bool generated = false, listEnds = false;
    int runs = 1;
    std::vector<std::string> only;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--generated")
            generated = true;
        else if (arg == "--ends")
            listEnds = true;
        else if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
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
        Eigen::MatrixXd GV;
        Eigen::MatrixXi GF;
        if (generated) vessel_tree::treeMesh({12, static_cast<int>(V.rows()), 4}, GV, GF);
        std::vector<realdata::Analysis> real, plain;
        quietly([&] {
            for (int run = 0; run < runs; ++run) {
                real.push_back(realdata::analyse(V, F));
                if (generated) plain.push_back(realdata::analyse(GV, GF));
            }
        });
        const realdata::Analysis a = medianOf(real);
        realdata::Judgement j;
        quietly([&] { j = realdata::judge(mesh, a); });
        const std::string ends = std::to_string(a.endpoints.size()) + "/" +
                                 (mesh.hasInlet() ? std::to_string(mesh.ends) : std::string("-"));
        std::printf(
            "%-30s %7d  %6.2f %6.2f %6.2f %6.2f %6.2f %6.2f  %9s %6.2f %6.2f %5s %6.3f %6.3f",
            mesh.name.c_str(), static_cast<int>(a.V.rows()), a.merge, a.contraction, a.endpointTime,
            a.rootTime, a.uField, a.total(), ends.c_str(), j.rootDistance, j.nearestEndpoint,
            a.root >= 0 ? yesNo(j.uFinite) : "-", j.rankCorrelation, j.heatReach);
        if (generated) {
            const double ratio = a.total() / medianOf(plain).total();
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
