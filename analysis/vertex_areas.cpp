// Area and volume measures of skeleton contraction.
#include <Eigen/Geometry>
#include <cmath>

#include "analysis/skeleton_contraction.h"

void computeVertexAreas(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F,
                        Eigen::VectorXd& areas) {
    areas = Eigen::VectorXd::Zero(V.rows());
    for (Eigen::Index f = 0; f < F.rows(); ++f) {
        const int i0 = F(f, 0), i1 = F(f, 1), i2 = F(f, 2);
        const Eigen::Vector3d e1 = (V.row(i0) - V.row(i2)).transpose();
        const Eigen::Vector3d e2 = (V.row(i2) - V.row(i1)).transpose();
        const double a = 0.5 * e1.cross(e2).norm();
        areas(i0) += a;
        areas(i1) += a;
        areas(i2) += a;
    }
    areas /= 3.0;
}

double meshVolume(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    double sum = 0.0;
    for (Eigen::Index f = 0; f < F.rows(); ++f) {
        const Eigen::Vector3d a = V.row(F(f, 0)).transpose();
        const Eigen::Vector3d b = V.row(F(f, 1)).transpose();
        const Eigen::Vector3d c = V.row(F(f, 2)).transpose();
        sum += a.dot(b.cross(c));
    }
    return std::abs(sum / 6.0);
}
