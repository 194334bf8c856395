// bench_analysis [mesh.off ...] [--vertices N] [--brute-force] [--solvers]
// Runs the analysis as the mesh-loading driver does (contraction of a copy,
// endpoints, root, U field) and prints the time of each stage. Without mesh
// arguments: the example tree and a generated tree of N (100,000) vertices.
// --brute-force also times the brute-force neighbour search that the grid
// replaces, over every contracted point (n squared distances: slow).
// --solvers also times one factorisation and solve of the contraction's
// first normal matrix, by the simplicial LDLT and by the contraction's own
// solver (supernodal Cholesky: fast only with an optimised BLAS).
#include <Eigen/SparseCholesky>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "analysis/contraction_solver.h"
#include "analysis/endpoints.h"
#include "analysis/normal_equations.h"
#include "analysis/remove_duplicate_vertices.h"
#include "analysis/skeleton_contraction.h"
#include "analysis/u_field.h"
#include "geometry/cotmatrix.h"
#include "geometry/read_triangle_mesh.h"
#include "vessel_tree.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool timeSolvers = false;

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

    auto start = Clock::now();
    Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>> ldlt(system.N());
    const Eigen::MatrixXd X0 = ldlt.solve(system.R());
    const double ldltTime = secondsSince(start);
    Eigen::MatrixXd X;
    ContractionSolver solver;
    start = Clock::now();
    solver.solve(system.N(), system.R(), X);
    const double firstTime = secondsSince(start);
    start = Clock::now();
    solver.solve(system.N(), system.R(), X);  // the analysis kept
    std::printf(
        "contraction solve: simplicial LDLT %.3f s, own solver %.3f s (%.3f s with its analysis "
        "kept, %s), results differ by %.1e\n",
        ldltTime, firstTime, secondsSince(start),
        solver.lastUsedCholmod() ? "supernodal" : "fell back to LDLT", (X - X0).norm() / X0.norm());
}

struct StageTimes {
    double merge = 0, contraction = 0, endpoints = 0, root = 0, uField = 0;
    double total() const { return merge + contraction + endpoints + root + uField; }
};

StageTimes analyse(Eigen::MatrixXd V, Eigen::MatrixXi F) {
    StageTimes t;
    auto start = Clock::now();
    removeDuplicateVertices(V, F);
    t.merge = secondsSince(start);

    if (timeSolvers) compareSolvers(V, F);
    start = Clock::now();
    Eigen::MatrixXd S = V;
    contractMesh(S, F, 5.0, 10);
    t.contraction = secondsSince(start);

    start = Clock::now();
    std::vector<int> endpoints;
    findEndpoints(S, V, F, endpoints);
    t.endpoints = secondsSince(start);

    start = Clock::now();
    const int root = findRootPoint(endpoints, V, F);
    t.root = secondsSince(start);

    if (root >= 0) {
        start = Clock::now();
        Eigen::VectorXd U;
        computeUField(V, F, root, U);
        t.uField = secondsSince(start);
        std::printf("maxU = %f\n", U.maxCoeff());
    }
    std::printf("endpoints: %zu, root: %d\n", endpoints.size(), root);
    return t;
}

void report(const std::string& name, const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    std::printf("== %s: %d vertices, %d faces\n", name.c_str(), static_cast<int>(V.rows()),
                static_cast<int>(F.rows()));
    std::fflush(stdout);
    const StageTimes t = analyse(V, F);
    std::printf(
        "-- %s times (s): merge %.3f  contraction %.3f  endpoints %.3f  root %.3f  U field "
        "%.3f  total %.3f\n\n",
        name.c_str(), t.merge, t.contraction, t.endpoints, t.root, t.uField, t.total());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    int vertices = 100000;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--solvers")
            timeSolvers = true;
        else if (arg == "--vertices" && i + 1 < argc)
            vertices = std::atoi(argv[++i]);
        else
            files.push_back(arg);
    }
    const bool defaults = files.empty();
    if (defaults)
        files.push_back(std::string(MORVIK_SOURCE_DIR) + "/assets/example_meshes/vesselTree4.off");

    for (const std::string& path : files) {
        Eigen::MatrixXd V;
        Eigen::MatrixXi F;
        if (!geometry::read_triangle_mesh(path, V, F)) {
            std::printf("cannot read %s\n", path.c_str());
            continue;
        }
        report(path, V, F);
    }
    if (defaults && vertices > 0) {
        Eigen::MatrixXd V;
        Eigen::MatrixXi F;
        vessel_tree::TreeOptions options;
        options.targetVertices = vertices;
        const auto start = Clock::now();
        vessel_tree::treeMesh(options, V, F);
        std::printf("(generated in %.3f s)\n", secondsSince(start));
        report("generated tree", V, F);
    }
    return 0;
}
