#include <algorithm>
#include <cstdio>

#include "analysis/curvature_measure.h"
#include "analysis/endpoints.h"
#include "analysis/parallel_ranges.h"

int findRootPoint(std::vector<int> endpoints, const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    if (endpoints.empty()) return -1;

    // Each end read on its own neighbourhood, the ends spread over threads.
    const CurvatureMeasure measure(V, F);
    std::vector<double> q(endpoints.size());
    std::vector<char> cut(endpoints.size(), 0);
    parallelRanges(static_cast<int>(endpoints.size()), 1, [&](int first, int last) {
        for (int k = first; k < last; ++k) {
            bool readsCut = false;
            q[k] = measure.around(endpoints[k], &readsCut);
            cut[k] = readsCut;
        }
    });

    // On a model whose vessel ends are cut (caps, boundary loops), the inlet
    // is one of them: an end found where nothing is cut, on a vessel's side
    // or in a tight bend, does not compete with them.
    const bool anyCut = std::find(cut.begin(), cut.end(), 1) != cut.end();
    size_t best = 0;
    while (anyCut && !cut[best]) ++best;
    // A measure that is not a number never replaces, nor is it replaced.
    for (size_t k = best + 1; k < endpoints.size(); ++k)
        if ((cut[k] || !anyCut) && q[k] < q[best]) best = k;
    const int root = endpoints[best];
    std::printf("Root point index is %d\n", root);
    return root;
}
