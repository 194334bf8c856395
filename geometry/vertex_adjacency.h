#pragma once
// Vertex-to-vertex adjacency of a triangle mesh in compressed rows: the
// neighbours of vertex i are list[start[i]] .. list[start[i+1] - 1], sorted,
// each once, never i itself. Internal helper of the geometry layer.

#include <Eigen/Core>
#include <vector>

namespace geometry {

struct VertexAdjacency {
    std::vector<int> start;  // #V + 1
    std::vector<int> list;
};

// F's indices must lie in [0, numVertices).
void vertex_adjacency(int numVertices, const Eigen::MatrixXi& F, VertexAdjacency& adjacency);

}  // namespace geometry
