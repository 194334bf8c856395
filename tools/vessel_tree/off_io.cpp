#include <cstdio>
#include <fstream>
#include <sstream>

#include "vessel_tree.h"

namespace vessel_tree {

bool writeOff(const std::string& path, const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return false;
    std::fprintf(file, "OFF\n%d %d 0\n", int(V.rows()), int(F.rows()));
    for (int i = 0; i < V.rows(); ++i)
        std::fprintf(file, "%.7f %.7f %.7f\n", V(i, 0), V(i, 1), V(i, 2));
    for (int i = 0; i < F.rows(); ++i)
        std::fprintf(file, "3 %d %d %d\n", F(i, 0), F(i, 1), F(i, 2));
    return std::fclose(file) == 0;
}

bool readOff(const std::string& path, Eigen::MatrixXd& V, Eigen::MatrixXi& F) {
    std::ifstream in(path);
    std::string header;
    int nv = 0, nf = 0, ne = 0;
    if (!(in >> header) || header != "OFF" || !(in >> nv >> nf >> ne) || nv < 0 || nf < 0)
        return false;
    V.resize(nv, 3);
    F.resize(nf, 3);
    for (int i = 0; i < nv; ++i)
        if (!(in >> V(i, 0) >> V(i, 1) >> V(i, 2))) return false;
    for (int i = 0; i < nf; ++i) {
        int corners = 0;
        if (!(in >> corners) || corners != 3 || !(in >> F(i, 0) >> F(i, 1) >> F(i, 2)))
            return false;
        for (int k = 0; k < 3; ++k)
            if (F(i, k) < 0 || F(i, k) >= nv) return false;
    }
    return true;
}

}  // namespace vessel_tree
