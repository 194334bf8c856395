#pragma once
// The mesh-loading driver's analysis sequence, for the whole-tree tests.

#include <vector>

#include "analysis/endpoints.h"
#include "analysis/skeleton_contraction.h"
#include "analysis/u_field.h"

struct TreeAnalysis {
    std::vector<int> endpoints;
    int root = -1;
    Eigen::VectorXd U;  // empty when there is no root
};

inline TreeAnalysis analyse(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    TreeAnalysis r;
    Eigen::MatrixXd S = V;
    contractMesh(S, F, 5.0, 10);
    findEndpoints(S, F, r.endpoints);
    r.root = findRootPoint(r.endpoints, V, F);
    if (r.root >= 0) computeUField(V, F, r.root, r.U);
    return r;
}
