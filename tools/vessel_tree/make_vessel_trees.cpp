// Writes the example meshes:
//   vesselTree4.off   a tree of 12 tips, about 25,000 vertices
//   bifurcation.off   a Y-shaped bifurcation, about 3,000 vertices
//   make_vessel_trees [output folder]   (default assets/example_meshes)

#include <cstdio>
#include <string>

#include "vessel_tree.h"

namespace {

bool writeChecked(const std::string& path, const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    const vessel_tree::MeshReport r = vessel_tree::checkMesh(V, F);
    std::printf(
        "%s: %d vertices, %d faces, %d component(s), Euler %d, volume %.3f, "
        "min angle %.2f deg, min area %.3g\n",
        path.c_str(), r.vertices, r.faces, r.components, r.eulerCharacteristic, r.signedVolume,
        r.minAngleDegrees, r.minArea);
    if (!r.closedManifold() || r.components != 1 || r.signedVolume <= 0) {
        std::printf("  not a closed, outward, manifold surface of one piece: not written\n");
        return false;
    }
    if (!vessel_tree::writeOff(path, V, F)) {
        std::printf("  cannot write the file\n");
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "assets/example_meshes";
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    vessel_tree::CentreLines lines;

    vessel_tree::TreeOptions tree;
    vessel_tree::treeMesh(tree, V, F, &lines);
    bool ok = writeChecked(dir + "/vesselTree4.off", V, F);
    std::printf("  %zu tips, root radius %.2f\n", lines.tips.size(), lines.rootRadius);

    vessel_tree::bifurcationMesh(3000, V, F);
    ok = writeChecked(dir + "/bifurcation.off", V, F) && ok;
    return ok ? 0 : 1;
}
