// The whole analysis on real vessel surfaces made by other people: capped
// CFD models, open segmentations, a coronary reconstruction, a CT airway.
// Where the inlet is known the root is there and U grows away from it; every
// other surface ends cleanly, with a finite U where it has a root.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "realdata.h"

namespace realdata {
// Test names and messages show the surface's name, not its bytes.
void PrintTo(const Mesh& mesh, std::ostream* out) {
    *out << mesh.name;
}
}  // namespace realdata

namespace {

class RealVesselSurface : public testing::TestWithParam<realdata::Mesh> {};

std::string nameOf(const testing::TestParamInfo<realdata::Mesh>& info) {
    return info.param.name;
}

}  // namespace

// The endpoint count is held to a third of the known ends (at least one)
// rather than to one: a reconstruction's small vessels may end closed, an end
// the surface has that its list of caps and loops does not.
TEST_P(RealVesselSurface, RootAtTheInletAndUAwayFromIt) {
    const realdata::Mesh& mesh = GetParam();
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    ASSERT_TRUE(realdata::load(realdata::folder(), mesh, V, F));
    const realdata::Analysis a = realdata::analyse(V, F);
    const realdata::Judgement j = realdata::judge(mesh, a);
    if (!mesh.hasInlet()) {
        EXPECT_TRUE(a.root < 0 || j.uFinite) << "root " << a.root;
        return;
    }
    EXPECT_LE(j.rootDistance, 2.5) << "root's distance from the inlet in R";
    const int found = static_cast<int>(a.endpoints.size());
    EXPECT_LE(std::abs(found - mesh.ends), std::max(1, mesh.ends / 3))
        << found << " endpoints for " << mesh.ends << " ends";
    EXPECT_TRUE(j.uFinite);
    EXPECT_GE(j.rankCorrelation, 0.9) << "U against the heat distance from the inlet";
    EXPECT_GE(j.heatReach, 0.9) << "heat distance against the longest edge path";
}

INSTANTIATE_TEST_SUITE_P(RealData, RealVesselSurface,
                         testing::ValuesIn(realdata::meshes(realdata::folder())), nameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(RealVesselSurface);

TEST(RealData, SurfacesAtHand) {
    if (realdata::folder().empty())
        GTEST_SKIP() << "no real vessel surfaces: ../shared/realdata is absent beside the project";
    EXPECT_GE(realdata::meshes(realdata::folder()).size(), 8u);
}
