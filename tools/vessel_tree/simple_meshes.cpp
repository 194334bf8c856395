#include <cmath>

#include "vessel_tree.h"

namespace vessel_tree {

namespace {

// Triangles of a (u, v) grid of quads, u wrapping around, v wrapping or not.
// The quad (u, v), (u+1, v), (u+1, v+1), (u, v+1) is counter-clockwise seen
// from the side that the parametrisation's d/du x d/dv points to.
void gridTriangles(int nu, int nv, bool wrapV, Eigen::MatrixXi& F) {
    const int quadsV = wrapV ? nv : nv - 1;
    F.resize(2 * nu * quadsV, 3);
    auto id = [&](int u, int v) { return (v % nv) * nu + (u % nu); };
    int f = 0;
    for (int v = 0; v < quadsV; ++v)
        for (int u = 0; u < nu; ++u) {
            const int a = id(u, v), b = id(u + 1, v), c = id(u + 1, v + 1), d = id(u, v + 1);
            F.row(f++) << a, b, c;
            F.row(f++) << a, c, d;
        }
}

}  // namespace

void inwardCopy(const Eigen::MatrixXi& F, Eigen::MatrixXi& Finward) {
    Finward = F;
    Finward.col(1) = F.col(2);
    Finward.col(2) = F.col(1);
}

void sideBySide(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, Eigen::MatrixXd& V2,
                Eigen::MatrixXi& F2) {
    const double width = V.rows() ? V.col(0).maxCoeff() - V.col(0).minCoeff() : 0.0;
    V2.resize(2 * V.rows(), 3);
    V2.topRows(V.rows()) = V;
    V2.bottomRows(V.rows()) = V;
    V2.bottomRows(V.rows()).col(0).array() += 2.0 * width;
    F2.resize(2 * F.rows(), 3);
    F2.topRows(F.rows()) = F;
    F2.bottomRows(F.rows()) = F.array() + int(V.rows());
}

void torusMesh(double R, double r, int ringSteps, int tubeSteps, Eigen::MatrixXd& V,
               Eigen::MatrixXi& F) {
    V.resize(ringSteps * tubeSteps, 3);
    for (int j = 0; j < tubeSteps; ++j)
        for (int i = 0; i < ringSteps; ++i) {
            const double theta = 2 * M_PI * i / ringSteps, phi = 2 * M_PI * j / tubeSteps;
            const double w = R + r * std::cos(phi);
            V.row(j * ringSteps + i) << w * std::cos(theta), w * std::sin(theta), r * std::sin(phi);
        }
    gridTriangles(ringSteps, tubeSteps, true, F);
}

void openTubeMesh(double radius, double length, int aroundSteps, int alongSteps, Eigen::MatrixXd& V,
                  Eigen::MatrixXi& F) {
    const int rings = alongSteps + 1;
    V.resize(aroundSteps * rings, 3);
    for (int j = 0; j < rings; ++j)
        for (int i = 0; i < aroundSteps; ++i) {
            const double theta = 2 * M_PI * i / aroundSteps;
            V.row(j * aroundSteps + i) << radius * std::cos(theta), radius * std::sin(theta),
                length * j / alongSteps;
        }
    gridTriangles(aroundSteps, rings, false, F);
}

}  // namespace vessel_tree
