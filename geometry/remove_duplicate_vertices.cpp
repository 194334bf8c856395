#include "geometry/remove_duplicate_vertices.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <unordered_map>

namespace geometry {

namespace {

struct Key {
    double c[3];
    bool operator==(const Key& o) const {
        return c[0] == o.c[0] && c[1] == o.c[1] && c[2] == o.c[2];
    }
};

struct KeyHash {
    size_t operator()(const Key& k) const {
        uint64_t h = 1469598103934665603ull;
        for (double d : k.c) {
            uint64_t bits;
            std::memcpy(&bits, &d, sizeof bits);
            h = (h ^ bits) * 1099511628211ull;
            h ^= h >> 29;
        }
        return static_cast<size_t>(h);
    }
};

}  // namespace

void remove_duplicate_vertices(const Eigen::MatrixXd& V, double epsilon, Eigen::MatrixXd& SV,
                               Eigen::VectorXi& SVI, Eigen::VectorXi& SVJ) {
    const Eigen::Index n = V.rows();
    const double cell = 10.0 * epsilon;
    std::unordered_map<Key, int, KeyHash> rowOf;
    rowOf.reserve(static_cast<size_t>(n));
    SVJ.resize(n);
    Eigen::VectorXi first(n);
    int count = 0;
    for (Eigen::Index i = 0; i < n; ++i) {
        Key key;
        for (int d = 0; d < 3; ++d) {
            const double x = epsilon > 0.0 ? std::round(V(i, d) / cell) : V(i, d);
            key.c[d] = x + 0.0;  // -0.0 becomes 0.0, so both hash alike
        }
        // A NaN coordinate never equals anything, so such a vertex stays alone.
        const auto [it, isNew] = rowOf.emplace(key, count);
        if (isNew) first(count++) = static_cast<int>(i);
        SVJ(i) = it->second;
    }
    SVI = first.head(count);
    SV.resize(count, 3);
    for (int k = 0; k < count; ++k) SV.row(k) = V.row(SVI(k));
}

}  // namespace geometry
