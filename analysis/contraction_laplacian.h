#pragma once
// The Laplacian that skeleton contraction iterates with: the cotangent
// Laplacian of the current points with every value doubled (off-diagonal
// entries the plain cotangent weights), but for two kinds of triangle whose
// cotangents say nothing about the surface and only ruin the solve:
//   - slivers of the input (smallest angle below kSliverDegrees: the needles
//     and caps of real models, by their rims above all) weigh each of their
//     edges as an equilateral triangle would (cot 60 degrees), in every
//     iteration; left as they are, their weights of hundreds drive the first
//     iterations to crush them further, and the normal equations soon lose
//     every digit;
//   - triangles that contraction has crushed to below kCollapsedArea of
//     their input area count as having none, as zero-area ones always do.
// On a mesh with neither it has the values of twice geometry::cotmatrix. Its
// pattern never changes (every edge of every face is stored, a dropped face's
// as zeros), so that the normal equations keep theirs and their ordering.

#include <Eigen/Core>
#include <Eigen/Sparse>
#include <vector>

constexpr double kSliverDegrees = 3.0;
constexpr double kCollapsedArea = 1e-4;

class ContractionLaplacian {
  public:
    //   S0  n by 3 input points, F  #F by 3 triangles over them
    ContractionLaplacian(const Eigen::MatrixXd& S0, const Eigen::MatrixXi& F);

    // L  n by n, for the current points S (n by 3).
    void build(const Eigen::MatrixXd& S, Eigen::SparseMatrix<double>& L) const;

  private:
    const Eigen::MatrixXi& F_;
    Eigen::SparseMatrix<double> pattern_;  // zeros where cotmatrix(S0, F) stores values
    Eigen::VectorXd inputArea_;            // #F doubled areas of the input
    std::vector<char> sliver_;             // #F
    bool anySliver_ = false;
};
