#include <cstdio>

#include "analysis/curvature_measure.h"
#include "analysis/endpoints.h"
#include "analysis/parallel_ranges.h"

int findRootPoint(std::vector<int> endpoints, const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    if (endpoints.empty()) return -1;

    // Each end read on its own neighbourhood, the ends spread over threads.
    const CurvatureMeasure measure(V, F);
    std::vector<double> q(endpoints.size());
    parallelRanges(static_cast<int>(endpoints.size()), 1, [&](int first, int last) {
        for (int k = first; k < last; ++k) q[k] = measure.around(endpoints[k]);
    });

    // A measure that is not a number never replaces, nor is it replaced.
    size_t best = 0;
    for (size_t k = 1; k < endpoints.size(); ++k)
        if (q[k] < q[best]) best = k;
    const int root = endpoints[best];
    std::printf("Root point index is %d\n", root);
    return root;
}
