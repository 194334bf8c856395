#pragma once
// The factorise-and-solve step of skeleton contraction. N is symmetric
// positive definite whenever the iteration is sound, so a supernodal
// Cholesky factorisation (CHOLMOD, dense kernels from BLAS) does the work,
// with an optimised BLAS (OpenBLAS) several times faster than the simplicial
// LDLT on large trees, with the reference BLAS about as fast. Whenever it
// cannot (a value of N not finite, N not positive definite, any CHOLMOD
// failure) the same N goes through SimplicialLDLT, whose status and result
// stand: a failed iteration then reads and ends exactly as with LDLT alone.
// The symbolic analysis is kept while N's pattern stays the same.
//   N  n by n normal matrix (only its lower triangle is read)
//   R  n by 3 right-hand side
//   X  n by 3 solution, written on Success only

#include <Eigen/CholmodSupport>
#include <Eigen/Core>
#include <Eigen/Sparse>

// ||N X - R|| / ||R|| (Frobenius norms); N X - R formed in double, and again
// in long double where that reads above kRefineAbove. The residual R - N X
// (rounded to double) when asked for.
double residualOf(const Eigen::SparseMatrix<double>& N, const Eigen::MatrixXd& X,
                  const Eigen::MatrixXd& R, Eigen::MatrixXd* residual = nullptr);

class ContractionSolver {
  public:
    ContractionSolver();

    Eigen::ComputationInfo solve(const Eigen::SparseMatrix<double>& N, const Eigen::MatrixXd& R,
                                 Eigen::MatrixXd& X);

    // Which factorisation produced the last result (for tests).
    bool lastUsedCholmod() const { return usedCholmod_; }
    // residualOf the last successful solve's X.
    double lastResidual() const { return residual_; }

    // Up to this relative residual, a hundredth of what contraction
    // rejects, the double reading stands and no refinement runs: the solve
    // is sound, and more digits would cost solves only.
    static constexpr double kRefineAbove = 1e-5;

  private:
    struct SerialKernels {
        SerialKernels();
        ~SerialKernels();
        SerialKernels(const SerialKernels&) = delete;
        SerialKernels& operator=(const SerialKernels&) = delete;
        int ompLevels = -1;
        int blasThreads = 0;
    };

    bool factorizeCholmod(const Eigen::SparseMatrix<double>& N);
    // Returns residualOf the refined X.
    double refine(const Eigen::SparseMatrix<double>& N, const Eigen::MatrixXd& R,
                  Eigen::MatrixXd& X);

    static constexpr int kRefinementSteps = 3;

    SerialKernels serial_;
    Eigen::CholmodSupernodalLLT<Eigen::SparseMatrix<double>, Eigen::Lower> cholmod_;
    Eigen::SparseMatrix<double> analysedPattern_;
    bool analysed_ = false;
    bool usedCholmod_ = false;
    double residual_ = 0.0;
};
