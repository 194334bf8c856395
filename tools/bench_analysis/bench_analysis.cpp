// bench_analysis [mesh.off ...] [--vertices N ...] [--kinds] [--runs R] [--solvers]
// Runs the analysis as the mesh-loading driver does (contraction of a copy,
// endpoints, root, U field), R times (3), and prints the median time of each
// stage, and of the U field's parts timed on their own (curvature fit, heat
// precompute and solve, 100 smoothing steps). Without mesh arguments: the
// generated tree at 25,000, 100,000 and 200,000 vertices (or at the given
// --vertices), and with --kinds also trees with the traits of real models
// (flat caps, open ends, slivers by the rims, a long thin tree, a wide trunk
// with thin branches) at the same sizes, each against the plain tree.
// --solvers also times one factorisation and solve of the contraction's
// first normal matrix, by the simplicial LDLT and by the contraction's own
// solver.
#include <fcntl.h>
#include <unistd.h>

#include <Eigen/SparseCholesky>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "analysis/contraction_solver.h"
#include "analysis/endpoints.h"
#include "analysis/normal_equations.h"
#include "analysis/remove_duplicate_vertices.h"
#include "analysis/skeleton_contraction.h"
#include "analysis/tangent_fields.h"
#include "analysis/u_field.h"
#include "geometry/avg_edge_length.h"
#include "geometry/cotmatrix.h"
#include "geometry/heat_geodesics.h"
#include "geometry/principal_curvature.h"
#include "geometry/read_triangle_mesh.h"
#include "vessel_tree.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

template <typename Body>
double timed(const Body& body) {
    const auto start = Clock::now();
    body();
    return secondsSince(start);
}

// The first contraction iteration's system: N from the doubled Laplacian,
// the first contraction weight and unit attraction weights.
void compareSolvers(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    Eigen::SparseMatrix<double> L;
    geometry::cotmatrix(V, F, L);
    L *= 2.0;
    Eigen::VectorXd A;
    computeVertexAreas(V, F, A);
    NormalEquations system;
    system.form(L, 0.001 * std::sqrt(A.sum() / A.size()), Eigen::VectorXd::Ones(V.rows()), V);
    Eigen::MatrixXd X0, X;
    const double ldltTime = timed([&] {
        Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>> ldlt(system.N());
        X0 = ldlt.solve(system.R());
    });
    ContractionSolver solver;
    const double ownTime = timed([&] { solver.solve(system.N(), system.R(), X); });
    std::printf(
        "contraction solve: simplicial LDLT %.3f s, own solver %.3f s (%s), results differ by "
        "%.1e\n",
        ldltTime, ownTime, solver.lastUsedCholmod() ? "supernodal" : "fell back to LDLT",
        (X - X0).norm() / X0.norm());
}

struct StageTimes {
    double merge = 0, contraction = 0, endpoints = 0, root = 0, uField = 0;
    double curvature = 0, heatPrecompute = 0, heatSolve = 0, smoothing100 = 0;
    double total() const { return merge + contraction + endpoints + root + uField; }
};

StageTimes analyse(Eigen::MatrixXd V, Eigen::MatrixXi F, bool report) {
    StageTimes t;
    t.merge = timed([&] { removeDuplicateVertices(V, F); });
    Eigen::MatrixXd S = V;
    t.contraction = timed([&] { contractMesh(S, F, 5.0, 10); });
    std::vector<int> endpoints;
    t.endpoints = timed([&] { findEndpoints(S, V, F, endpoints); });
    int root = -1;
    t.root = timed([&] { root = findRootPoint(endpoints, V, F); });
    if (root < 0) return t;
    Eigen::VectorXd U;
    t.uField = timed([&] { computeUField(V, F, root, U); });
    if (report)
        std::printf("endpoints: %zu, root: %d, maxU = %f\n", endpoints.size(), root, U.maxCoeff());

    Eigen::MatrixXd PD1, PD2;
    Eigen::VectorXd PV1, PV2, D;
    t.curvature = timed([&] { geometry::principal_curvature(V, F, PD1, PD2, PV1, PV2, 5, true); });
    const double h = geometry::avg_edge_length(V, F);
    geometry::HeatGeodesicsData data;
    t.heatPrecompute = timed([&] { geometry::heat_geodesics_precompute(V, F, h * h, data); });
    t.heatSolve =
        timed([&] { geometry::heat_geodesics_solve(data, Eigen::VectorXi::Constant(1, root), D); });
    const Eigen::SparseMatrix<double> L = 2.0 * data.L;
    t.smoothing100 = timed([&] { smoothVectorField(PD1, 100, 0.5, L); });
    return t;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The medians over the runs, the console lines of the first run only.
StageTimes benchmark(const std::string& name, const Eigen::MatrixXd& V, const Eigen::MatrixXi& F,
                     int runs, bool solvers) {
    std::printf("== %s: %d vertices, %d faces\n", name.c_str(), static_cast<int>(V.rows()),
                static_cast<int>(F.rows()));
    std::fflush(stdout);
    if (solvers) compareSolvers(V, F);
    std::vector<StageTimes> all{analyse(V, F, true)};
    std::fflush(stdout);
    const int console = dup(STDOUT_FILENO), quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, STDOUT_FILENO);  // the same lines again
    for (int run = 1; run < runs; ++run) all.push_back(analyse(V, F, false));
    std::fflush(stdout);
    dup2(console, STDOUT_FILENO);
    close(quiet);
    close(console);
    const auto of = [&](double StageTimes::*stage) {
        std::vector<double> values;
        for (const StageTimes& t : all) values.push_back(t.*stage);
        return median(values);
    };
    StageTimes m;
    for (double StageTimes::*stage :
         {&StageTimes::merge, &StageTimes::contraction, &StageTimes::endpoints, &StageTimes::root,
          &StageTimes::uField, &StageTimes::curvature, &StageTimes::heatPrecompute,
          &StageTimes::heatSolve, &StageTimes::smoothing100})
        m.*stage = of(stage);
    std::printf(
        "-- %s (median of %d, s): merge %.3f  contraction %.3f  endpoints %.3f  root %.3f  "
        "U field %.3f  total %.3f\n   U field parts: curvature %.3f  heat precompute %.3f  "
        "heat solve %.3f  smoothing per 100 steps %.3f\n",
        name.c_str(), runs, m.merge, m.contraction, m.endpoints, m.root, m.uField, m.total(),
        m.curvature, m.heatPrecompute, m.heatSolve, m.smoothing100);
    std::fflush(stdout);
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    std::vector<int> sizes;
    int runs = 3;
    bool kinds = false, solvers = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--solvers")
            solvers = true;
        else if (arg == "--kinds")
            kinds = true;
        else if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--vertices" && i + 1 < argc)
            sizes.push_back(std::atoi(argv[++i]));
        else
            files.push_back(arg);
    }
    for (const std::string& path : files) {
        Eigen::MatrixXd V;
        Eigen::MatrixXi F;
        if (geometry::read_triangle_mesh(path, V, F))
            benchmark(path, V, F, runs, solvers);
        else
            std::printf("cannot read %s\n", path.c_str());
    }
    if (!files.empty() && sizes.empty()) return 0;
    if (sizes.empty()) sizes = {25000, 100000, 200000};

    using vessel_tree::Ends;
    using vessel_tree::Shape;
    const struct {
        const char* name;
        Shape shape;
        Ends ends;
        bool slivers;
    } trees[] = {{"generated tree", Shape::Bushy, Ends::Round, false},
                 {"flat caps", Shape::Bushy, Ends::Flat, false},
                 {"open ends", Shape::Bushy, Ends::Open, false},
                 {"flat caps, slivers", Shape::Bushy, Ends::Flat, true},
                 {"long, thin", Shape::Long, Ends::Flat, false},
                 {"wide trunk, open", Shape::WideTrunk, Ends::Open, false}};
    for (int size : sizes) {
        double plain = 0.0;
        for (size_t k = 0; k < (kinds ? std::size(trees) : 1); ++k) {
            const auto& tree = trees[k];
            Eigen::MatrixXd V;
            Eigen::MatrixXi F;
            vessel_tree::treeMesh({12, size, 4, tree.shape, tree.ends, tree.slivers}, V, F);
            const std::string name =
                std::string(tree.name) + " " + std::to_string(size / 1000) + "k";
            const double total = benchmark(name, V, F, runs, solvers).total();
            if (plain == 0.0) plain = total;
            std::printf("   %.2f times the generated tree of this size\n\n", total / plain);
        }
    }
    return 0;
}
