#include "analysis/contraction_solver.h"

#include <dlfcn.h>

#include <Eigen/SparseCholesky>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using SparseMatrix = Eigen::SparseMatrix<double>;

bool samePattern(const SparseMatrix& A, const SparseMatrix& B) {
    if (A.rows() != B.rows() || A.cols() != B.cols() || A.nonZeros() != B.nonZeros()) return false;
    return std::equal(A.outerIndexPtr(), A.outerIndexPtr() + A.outerSize() + 1,
                      B.outerIndexPtr()) &&
           std::equal(A.innerIndexPtr(), A.innerIndexPtr() + A.nonZeros(), B.innerIndexPtr());
}

bool allFinite(const SparseMatrix& A) {
    return Eigen::Map<const Eigen::VectorXd>(A.valuePtr(), A.nonZeros()).allFinite();
}

template <typename Function>
Function lookUp(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_DEFAULT, name));
}

}  // namespace

// CHOLMOD's supernodal steps open OpenMP teams, and a threaded OpenBLAS
// splits its dense blocks over threads; both spin while they wait. Most
// blocks here are small: on a busy machine those threads made a quarter-second
// factorisation take up to a minute, while one thread is steady and still
// beats the simplicial LDLT several times over. Both libraries are held to
// one thread while a solver lives and given back their settings after. The
// switches are looked up at run time, since the BLAS in use may have none.
ContractionSolver::SerialKernels::SerialKernels() {
    using GetInt = int (*)();
    using SetInt = void (*)(int);
    if (auto get = lookUp<GetInt>("omp_get_max_active_levels")) ompLevels = get();
    if (auto set = lookUp<SetInt>("omp_set_max_active_levels")) set(0);
    if (auto get = lookUp<GetInt>("openblas_get_num_threads")) blasThreads = get();
    if (auto set = lookUp<SetInt>("openblas_set_num_threads")) set(1);
}

ContractionSolver::SerialKernels::~SerialKernels() {
    using SetInt = void (*)(int);
    if (auto set = lookUp<SetInt>("omp_set_max_active_levels"); set && ompLevels >= 0)
        set(ompLevels);
    if (auto set = lookUp<SetInt>("openblas_set_num_threads"); set && blasThreads > 0)
        set(blasThreads);
}

ContractionSolver::ContractionSolver() {
    // CHOLMOD would print its own warnings (such as "not positive definite")
    // on standard output; its status is read instead.
    cholmod_.cholmod().print = 0;
}

bool ContractionSolver::factorizeCholmod(const SparseMatrix& N) {
    if (N.rows() == 0 || !allFinite(N)) return false;
    if (!analysed_ || !samePattern(N, analysedPattern_)) {
        cholmod_.analyzePattern(N);
        analysed_ = cholmod_.cholmod().status >= CHOLMOD_OK;
        if (!analysed_) return false;
        analysedPattern_ = N;
    }
    cholmod_.factorize(N);
    return cholmod_.info() == Eigen::Success && cholmod_.cholmod().status >= CHOLMOD_OK;
}

double residualOf(const SparseMatrix& N, const Eigen::MatrixXd& X, const Eigen::MatrixXd& R,
                  Eigen::MatrixXd* residual) {
    // Rounding only adds to a residual formed in double: one that reads
    // small there is small, and only a larger one needs the long double.
    Eigen::MatrixXd quick = R - N * X;
    const double quickError = quick.norm() / R.norm();
    if (quickError <= ContractionSolver::kRefineAbove) {
        if (residual) *residual = std::move(quick);
        return quickError;
    }
    std::vector<long double> product(static_cast<size_t>(N.rows()));
    long double squares = 0.0L, rhs = 0.0L;
    if (residual) residual->resize(R.rows(), R.cols());
    for (Eigen::Index c = 0; c < R.cols(); ++c) {
        std::fill(product.begin(), product.end(), 0.0L);
        for (Eigen::Index j = 0; j < N.outerSize(); ++j)
            for (SparseMatrix::InnerIterator it(N, j); it; ++it)
                product[it.row()] += static_cast<long double>(it.value()) * X(j, c);
        for (Eigen::Index i = 0; i < R.rows(); ++i) {
            const long double difference = product[i] - R(i, c);
            squares += difference * difference;
            rhs += static_cast<long double>(R(i, c)) * R(i, c);
            if (residual) (*residual)(i, c) = static_cast<double>(-difference);
        }
    }
    return static_cast<double>(std::sqrt(squares) / std::sqrt(rhs));
}

// With WL growing by orders of magnitude, or with slivers in the mesh, N is
// badly conditioned, and a residual computed in double shows mostly the
// rounding of N * X itself (about 1e-16 times the largest entries of N):
// the residual test then takes a sound solve for a failed one. In long
// double it shows the solve's own error, and a few steps of iterative
// refinement with the same factors take that down to where the residual
// test reads it as sound, for any N whose condition stays below about
// 1e16. A solve that is already that good is left exactly as solved.
double ContractionSolver::refine(const SparseMatrix& N, const Eigen::MatrixXd& R,
                                 Eigen::MatrixXd& X) {
    Eigen::MatrixXd residual;
    double error = residualOf(N, X, R, &residual);
    for (int step = 0; step < kRefinementSteps && error > kRefineAbove; ++step) {
        const Eigen::MatrixXd correction = cholmod_.solve(residual);
        if (cholmod_.info() != Eigen::Success || !correction.allFinite()) break;
        const Eigen::MatrixXd refined = X + correction;
        Eigen::MatrixXd refinedResidual;
        const double refinedError = residualOf(N, refined, R, &refinedResidual);
        if (!(refinedError < error)) break;
        X = refined;
        residual.swap(refinedResidual);
        error = refinedError;
    }
    return error;
}

Eigen::ComputationInfo ContractionSolver::solve(const SparseMatrix& N, const Eigen::MatrixXd& R,
                                                Eigen::MatrixXd& X) {
    usedCholmod_ = factorizeCholmod(N);
    if (usedCholmod_) {
        Eigen::MatrixXd solution = cholmod_.solve(R);
        if (cholmod_.info() == Eigen::Success && solution.allFinite()) {
            residual_ = refine(N, R, solution);
            X = std::move(solution);
            return Eigen::Success;
        }
        usedCholmod_ = false;
    }
    // Everything CHOLMOD declines goes the way it always went: one fresh
    // LDLT, its status tested after the solve.
    Eigen::SimplicialLDLT<SparseMatrix> ldlt(N);
    if (ldlt.info() == Eigen::Success) {
        Eigen::MatrixXd solution = ldlt.solve(R);
        if (ldlt.info() == Eigen::Success) X = std::move(solution);
    }
    if (ldlt.info() == Eigen::Success) residual_ = residualOf(N, X, R);
    return ldlt.info();
}
