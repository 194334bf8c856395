#pragma once
// Fixed-radius neighbourhoods of endpoint detection. A point j is a
// neighbour of point i when |S(i) - S(j)|, computed in double and then
// rounded to float, is strictly below r. Both searches give the same
// neighbours, in increasing index order, with the same rounded distances:
// the grid is the fast one, the brute-force one is its reference.

#include <Eigen/Core>
#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

struct Neighbourhood {
    std::vector<int> index;        // increasing
    std::vector<double> distance;  // float-rounded, widened back to double
};

// The rounded distance between rows i and j of S.
double roundedDistance(const Eigen::MatrixXd& S, int i, int j);

// Measures the distance from point i to every point of S.
void bruteForceNeighbours(const Eigen::MatrixXd& S, double r, int i, Neighbourhood& out);

// A uniform grid of cells slightly wider than r, so that every point that can
// pass the rounded test lies in the 27 cells around a point's own. Falls back
// to the brute-force search when r is infinite or the cells cannot be
// numbered exactly (coordinates too far out for the radius), and for a point
// whose surrounding cells hold more than a quarter of all points.
class NeighbourGrid {
  public:
    NeighbourGrid(const Eigen::MatrixXd& S, double r);
    void neighbours(int i, Neighbourhood& out) const;
    bool usesGrid() const { return useGrid_; }

  private:
    struct CellHash {
        size_t operator()(const std::array<int64_t, 3>& c) const;
    };
    bool cellOf(int i, std::array<int64_t, 3>& cell) const;

    const Eigen::MatrixXd& S_;
    double r_;
    double cellSize_ = 0.0;
    bool useGrid_ = false;
    std::unordered_map<std::array<int64_t, 3>, std::vector<int>, CellHash> cells_;
    mutable std::vector<int> candidates_;
};
