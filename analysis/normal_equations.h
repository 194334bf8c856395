#pragma once
// The normal equations of one contraction iteration,
//   N = Kᵀ·K and R = Kᵀ·B,  K = [WL·L; WH] (2n by n),  B = [0; WH·S] (2n by 3),
// WL = wl times the identity, WH = the diagonal matrix of wh. Stacking K and
// multiplying it out allocates and sorts several large matrices every
// iteration; N's pattern depends on L's only, so after the first iteration
// the same sums are formed straight into the pattern N already has. Every
// value is bit for bit the sparse products' own: the same terms, multiplied
// the same way and added in the same order.
//   L   n by n doubled cotangent Laplacian
//   wl  the contraction weight, wh  n attraction weights
//   S   n by 3 current points

#include <Eigen/Core>
#include <Eigen/Sparse>
#include <vector>

// The products as written above, through stacked sparse matrices: the
// reference, and the way a new pattern is set up.
void sparseProductNormalEquations(const Eigen::SparseMatrix<double>& L, double wl,
                                  const Eigen::VectorXd& wh, const Eigen::MatrixXd& S,
                                  Eigen::SparseMatrix<double>& N, Eigen::MatrixXd& R);

class NormalEquations {
  public:
    void form(const Eigen::SparseMatrix<double>& L, double wl, const Eigen::VectorXd& wh,
              const Eigen::MatrixXd& S);

    const Eigen::SparseMatrix<double>& N() const { return N_; }
    const Eigen::MatrixXd& R() const { return R_; }
    // Whether the last form() filled the pattern of the one before (for tests).
    bool reusedPattern() const { return reused_; }

  private:
    bool samePatternAsBefore(const Eigen::SparseMatrix<double>& L) const;
    bool refill(const Eigen::SparseMatrix<double>& L, double wl, const Eigen::VectorXd& wh);

    Eigen::SparseMatrix<double> N_;
    Eigen::MatrixXd R_;
    std::vector<int> lOuter_, lInner_;  // L's pattern when N_'s was set up
    bool reused_ = false;
};
