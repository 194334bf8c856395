#pragma once
// Merges vertices that coincide up to a tolerance.
//   V        #V by 3 positions
//   epsilon  tolerance; > 0: two vertices are one when round(x / (10 epsilon))
//            agrees in all three coordinates (halves away from zero);
//            0: exact equality. A vertex with a NaN coordinate merges with
//            nothing.
//   SV       #SV by 3 merged positions, in order of first occurrence; row k is
//            the position of its lowest-index member
//   SVI      #SV, SVI(k) = that lowest-index member, so SV = V(SVI, :)
//   SVJ      #V, SVJ(i) = the row of SV that vertex i became

#include <Eigen/Core>

namespace geometry {

void remove_duplicate_vertices(const Eigen::MatrixXd& V, double epsilon, Eigen::MatrixXd& SV,
                               Eigen::VectorXi& SVI, Eigen::VectorXi& SVJ);

}  // namespace geometry
