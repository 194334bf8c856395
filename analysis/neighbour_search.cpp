#include "analysis/neighbour_search.h"

#include <algorithm>
#include <cmath>

namespace {

// Wider than r by far more than the float rounding of a distance (2^-24)
// and the rounding of x / cellSize for the coordinates accepted below.
constexpr double kCellMargin = 1e-3;
// Cell coordinates up to 2^36 are exact enough for that margin.
constexpr double kMaxCellCoordinate = 68719476736.0;

}  // namespace

double roundedDistance(const Eigen::MatrixXd& S, int i, int j) {
    const double dx = S(i, 0) - S(j, 0);
    const double dy = S(i, 1) - S(j, 1);
    const double dz = S(i, 2) - S(j, 2);
    return static_cast<double>(static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz)));
}

void bruteForceNeighbours(const Eigen::MatrixXd& S, double r, int i, Neighbourhood& out) {
    out.index.clear();
    out.distance.clear();
    const int n = static_cast<int>(S.rows());
    for (int j = 0; j < n; ++j) {
        const double d = roundedDistance(S, i, j);
        if (d < r) {
            out.index.push_back(j);
            out.distance.push_back(d);
        }
    }
}

size_t NeighbourGrid::CellHash::operator()(const std::array<int64_t, 3>& c) const {
    uint64_t h = static_cast<uint64_t>(c[0]) * 0x9E3779B97F4A7C15ull;
    h ^= static_cast<uint64_t>(c[1]) * 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
    h ^= static_cast<uint64_t>(c[2]) * 0x165667B19E3779F9ull + (h << 6) + (h >> 2);
    return static_cast<size_t>(h);
}

NeighbourGrid::NeighbourGrid(const Eigen::MatrixXd& S, double r) : S_(S), r_(r) {
    // No distance is below a radius that is NaN, zero or negative: every
    // neighbourhood is empty and no grid is needed.
    if (!(r > 0.0)) return;
    if (std::isinf(r)) return;  // everything is near: brute force
    cellSize_ = r * (1.0 + kCellMargin);
    useGrid_ = true;
    const int n = static_cast<int>(S.rows());
    std::array<int64_t, 3> cell;
    for (int i = 0; i < n; ++i) {
        if (!S.row(i).allFinite()) continue;  // never anyone's neighbour
        bool ok = true;
        for (int k = 0; k < 3; ++k) ok = ok && std::abs(S(i, k) / cellSize_) < kMaxCellCoordinate;
        if (!ok) {
            useGrid_ = false;
            cells_.clear();
            return;
        }
        cellOf(i, cell);
        cells_[cell].push_back(i);
    }
}

bool NeighbourGrid::cellOf(int i, std::array<int64_t, 3>& cell) const {
    if (!S_.row(i).allFinite()) return false;
    for (int k = 0; k < 3; ++k) cell[k] = static_cast<int64_t>(std::floor(S_(i, k) / cellSize_));
    return true;
}

void NeighbourGrid::neighbours(int i, Neighbourhood& out) const {
    out.index.clear();
    out.distance.clear();
    if (!(r_ > 0.0)) return;
    if (!useGrid_) {
        bruteForceNeighbours(S_, r_, i, out);
        return;
    }
    std::array<int64_t, 3> centre;
    if (!cellOf(i, centre)) return;  // a non-finite point has no neighbour

    candidates_.clear();
    std::array<int64_t, 3> cell;
    for (int64_t dx = -1; dx <= 1; ++dx)
        for (int64_t dy = -1; dy <= 1; ++dy)
            for (int64_t dz = -1; dz <= 1; ++dz) {
                cell = {centre[0] + dx, centre[1] + dy, centre[2] + dz};
                auto it = cells_.find(cell);
                if (it != cells_.end())
                    candidates_.insert(candidates_.end(), it->second.begin(), it->second.end());
            }
    // Where the cells hold a good part of all points, sorting them costs more
    // than measuring everything.
    if (candidates_.size() > static_cast<size_t>(S_.rows() / 4)) {
        bruteForceNeighbours(S_, r_, i, out);
        return;
    }
    std::sort(candidates_.begin(), candidates_.end());
    for (int j : candidates_) {
        const double d = roundedDistance(S_, i, j);
        if (d < r_) {
            out.index.push_back(j);
            out.distance.push_back(d);
        }
    }
}
