// The shell in-process on a real GL context: callbacks, the assets probe, the
// mesh-loading driver, resizes, and the panel driven with synthetic mouse
// input, its dialogs answered by a fake zenity.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_impl_opengl3.h>
#include <imgui_internal.h>

#include <filesystem>
#include <glm/gtc/type_ptr.hpp>
#include <optional>
#include <regex>

#include "app/camera.h"
#include "app/frame_loop.h"
#include "app/load_mesh.h"
#include "app/panel.h"
#include "app/window.h"
#include "child_process.h"
#include "gl_context.h"
#include "parameters/shell_settings.h"
#include "render/framebuffer.h"
#include "render/renderer.h"
#include "render/shader_program.h"
#include "scratch_dir.h"
#include "vessel_tree.h"

namespace fs = std::filesystem;

namespace {
// When set, the size that the window system reports for the framebuffer, as
// a minimised window's 0 by 0.
std::optional<glm::ivec2> reportedFramebufferSize;
}  // namespace

// Stands in for the window system's own, which it calls unless a size is set.
extern "C" void glfwGetFramebufferSize(GLFWwindow* window, int* width, int* height) {
    if (reportedFramebufferSize) {
        *width = reportedFramebufferSize->x;
        *height = reportedFramebufferSize->y;
        return;
    }
    using Query = void (*)(GLFWwindow*, int*, int*);
    static const Query query = reinterpret_cast<Query>(dlsym(RTLD_NEXT, "glfwGetFramebufferSize"));
    query(window, width, height);
}

namespace {

// The start-up steps of main on the test window, once per process.
class Shell : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!(window = testGLWindow())) return;
        assetsDir = sourceAssetsDir();
        glfwGetFramebufferSize(window, &fbWidth, &fbHeight);
        createShaderPrograms();
        setupCamera(camera, fbWidth, fbHeight);
        renderer.init();
        setFixedGLState();
        showGui = false;  // the frame loop starts no GUI frame on the test window
        ImGui::CreateContext();
        ImGui::GetIO().IniFilename = nullptr;
        ImGui::GetIO().DisplaySize = ImVec2(1024, 900);
        ImGui_ImplOpenGL3_Init("#version 430 core");
    }
    void SetUp() override { REQUIRE_GL(); }
    static std::string load(const std::string& path) {
        testing::internal::CaptureStdout();
        loadMesh(path[0] == '/' ? path : sourceAssetsDir() + "/" + path);
        return testing::internal::GetCapturedStdout();
    }
    static std::vector<float> parameterBuffer() {  // -1 where the buffer is short
        std::vector<float> data(2 * renderer.V.rows(), -1.0f);
        glGetNamedBufferSubData(renderer.paramVbo, 0, data.size() * sizeof(float), data.data());
        return data;
    }
    // One GUI frame of the panel, pinned and tall enough that nothing scrolls,
    // with the mouse at `at`.
    static void frame(ImVec2 at = ImVec2(900, 880), bool down = false) {
        ImGui::GetIO().MousePos = at;
        ImGui::GetIO().MouseDown[0] = down;
        ImGui_ImplOpenGL3_NewFrame();
        ImGui::NewFrame();
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::SetNextWindowSize(ImVec2(500, 880));
        drawPanel();
        ImGui::End();
        ImGui::Render();
    }
    // A widget's ID in a window (the panel unless named) and a pushed scope;
    // where it is, found by hovering; a click on it.
    static ImGuiID id(const char* label, const char* scope = nullptr, int index = -1,
                      const char* window = "Morvik") {
        ImGuiID seed = ImGui::FindWindowByName(window)->ID;
        if (scope) seed = ImHashStr(scope, 0, seed);
        if (index >= 0) seed = ImHashData(&index, sizeof index, seed);
        return ImHashStr(label, 0, seed);
    }
    static std::optional<ImVec2> find(ImGuiID widget) {
        for (float y = 2; y < 870; y += 4)
            for (float x = 10; x < 490; x += 12)
                if (frame(ImVec2(x, y)), GImGui->HoveredId == widget) return ImVec2(x, y);
        return std::nullopt;
    }
    static void click(ImGuiID widget) {
        std::optional<ImVec2> at = find(widget);
        ASSERT_TRUE(at) << "widget not shown";
        frame(*at, true);
        frame(*at, false);
        frame();
    }
};

}  // namespace

TEST_F(Shell, KeysToggleOnPressAndOnlyFunctionKeysPassAGuiThatHoldsTheKeyboard) {
    auto keys = [&](std::initializer_list<int> list, int action = GLFW_PRESS) {
        for (int k : list) keyCallback(window, k, 0, action, 0);
    };
    auto state = [&] {
        return std::tuple(showGui, developerControls, multisampling,
                          glfwWindowShouldClose(window) != 0, glIsEnabled(GL_MULTISAMPLE) != 0);
    };
    showGui = true;
    testing::internal::CaptureStdout();
    keys({GLFW_KEY_G, GLFW_KEY_F2, GLFW_KEY_A, GLFW_KEY_M});
    keys({GLFW_KEY_F2, GLFW_KEY_M}, GLFW_REPEAT);
    keys({GLFW_KEY_F2, GLFW_KEY_M}, GLFW_RELEASE);
    EXPECT_EQ(state(), std::tuple(false, true, true, false, true));
    guiWantsKeyboard = true;
    keys({GLFW_KEY_G, GLFW_KEY_M, GLFW_KEY_ESCAPE, GLFW_KEY_F1, GLFW_KEY_F2});
    EXPECT_EQ(state(), std::tuple(true, false, true, false, true));
    guiWantsKeyboard = false;
    keys({GLFW_KEY_M, GLFW_KEY_ESCAPE});
    EXPECT_EQ(state(), std::tuple(true, false, false, true, false));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Multisampling on\nMultisampling off\n");
    glfwSetWindowShouldClose(window, GLFW_FALSE);
    showGui = false;  // as the suite set it up: the test window has no GUI back-end
}

TEST(Callbacks, ScrollUnlessTheGuiHoldsTheMouseResizeOnlyForPositiveSizesProbeParents) {
    for (bool guiMouse : {false, true}) {
        guiWantsMouse = guiMouse;
        scrollCallback(nullptr, 5.0, 0.75);  // only the vertical part counts
    }
    EXPECT_EQ(scrollAccum, 0.75f);
    framebufferSizeCallback(nullptr, 0, 0);  // minimised
    framebufferSizeCallback(nullptr, 800, 0);
    EXPECT_FALSE(framebufferResized);
    framebufferSizeCallback(nullptr, 800, 600);
    EXPECT_TRUE(framebufferResized);
    ScratchDir root;  // the assets probe climbs to parents and takes a plain file
    fs::create_directories(root.file("a/b/c"));
    writeFile(root.file("a/assets"), "not a folder");
    ChildResult r = runInChild([&] {
        if (chdir(root.file("a/b/c").c_str()) == 0) probeAssetsDirectory();
        printf("%s\n", assetsDir.c_str());
    });
    EXPECT_EQ(r.out, "../../assets\n");
}

// A load prints its lines in order, finds the root among the endpoints, puts
// U on the GPU and frames the mesh. A file that cannot be shown says so in one
// line and leaves an empty view and the camera as it was; loading the first
// file again gives what it gave before.
TEST_F(Shell, GoodLoadsAnalyseAndFrameBadOnesLeaveAnEmptyView) {
    const std::string out = load("example_meshes/bifurcation.off"), any = "[\\s\\S]*";
    EXPECT_TRUE(std::regex_match(
        out,
        std::regex("Mesh radius = " + any + "Skeletonizing iter 0" + any + "Root point index is " +
                   std::to_string(renderer.rootIndex) + "\n" + any + "# smoothing iter: " + any +
                   "maxU = " + std::to_string(renderer.maxU) + "\n")))
        << out;
    const std::vector<int> ends = renderer.endpoints;
    const int root = renderer.rootIndex;
    Eigen::MatrixXd V = renderer.V;
    const Eigen::MatrixXi F = renderer.F;
    EXPECT_NE(std::find(ends.begin(), ends.end(), renderer.rootIndex), ends.end());
    EXPECT_TRUE(renderer.hasU && renderer.maxU == renderer.paramU.maxCoeff());
    std::vector<float> u;  // (U, 0) per vertex
    for (int i = 0; i < renderer.V.rows(); ++i) u.insert(u.end(), {float(renderer.paramU(i)), 0});
    EXPECT_EQ(parameterBuffer(), u);
    EXPECT_EQ(camera.center, glm::make_vec3(renderer.meshCenter));

    const Camera first = camera;
    camera.yaw = 1.3f, camera.minDistance = 20.0f;
    camera.pan(4.0f, -2.0f);
    const Camera moved = camera;
    const std::string data = MORVIK_SOURCE_DIR "/tests/app/data/";
    for (auto [file, said] :
         {std::pair{"missing.off", std::string("ERROR: Failed to load mesh\n")},
          {"points.off",
           "Mesh radius = 0.707107, center is (0.500000 , 0.500000 , 0.000000)\n"
           "ERROR: " +
               data + "points.off holds no face: nothing to show\n"},
          {"empty.off", "ERROR: " + data + "empty.off holds no vertex: nothing to show\n"}}) {
        EXPECT_EQ(load(data + file), said);
        EXPECT_EQ(renderer.V.rows() + renderer.F.rows() + renderer.endpoints.size(), 0u);
        EXPECT_FALSE(renderer.hasU);
        EXPECT_EQ(glm::vec4(camera.center, camera.yaw), glm::vec4(moved.center, moved.yaw));
    }
    // A mesh without endpoints (a closed sphere) gets no U field but is framed.
    const std::string sphere = load("models/sphere.off");
    EXPECT_TRUE(renderer.endpoints.empty() && renderer.rootIndex == -1 && !renderer.hasU);
    EXPECT_EQ(sphere.substr(sphere.find("Mesh has")),
              "Mesh has no endpoints: no root and no U field\n");
    EXPECT_EQ(parameterBuffer(), std::vector<float>(2 * renderer.V.rows(), 0.0f));
    EXPECT_EQ(camera.center, glm::make_vec3(renderer.meshCenter));
    // The first mesh with its root and vertex 0 swapped: a root at 0 gets U too.
    const ScratchDir dir;
    Eigen::VectorXi index = Eigen::VectorXi::LinSpaced(V.rows(), 0, int(V.rows()) - 1);
    std::swap(index(0), index(root));
    V.row(0).swap(V.row(root));
    ASSERT_TRUE(vessel_tree::writeOff(dir.file("root0.off"), V,
                                      F.unaryExpr([&](int v) { return index(v); })));
    const std::string root0 = load(dir.file("root0.off"));
    EXPECT_EQ(renderer.rootIndex, 0);
    EXPECT_TRUE(renderer.hasU && renderer.paramU.size() == V.rows()) << root0;
    EXPECT_EQ(load("example_meshes/bifurcation.off"), out);
    EXPECT_EQ(renderer.endpoints, ends);
    EXPECT_EQ(glm::vec4(camera.center, camera.yaw), glm::vec4(first.center, first.yaw));
    EXPECT_EQ(glm::vec2(camera.distance, camera.minDistance), glm::vec2(first.distance, 0.1f));
}

// A resize reaches the viewport, the framebuffers and the camera at the next
// frame; a minimised window's 0 by 0 (or any size with a zero) changes none
// of them.
TEST_F(Shell, ResizeIsAppliedAtTheNextFrame) {
    const int oldWidth = fbWidth, oldHeight = fbHeight;
    glfwSetWindowSize(window, 320, 200);
    for (int i = 0; i < 20 && glm::ivec2(fbWidth, fbHeight) != glm::ivec2(320, 200); ++i) {
        glfwWaitEventsTimeout(0.02);
        glfwGetFramebufferSize(window, &fbWidth, &fbHeight);
    }
    framebufferResized = true;
    testing::internal::CaptureStdout();
    runFrame();
    testing::internal::GetCapturedStdout();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(glm::ivec4(renderer.width, renderer.height, renderer.gBuffer->width, viewport[2]),
              glm::ivec4(320, 200, 320, 320));
    EXPECT_FLOAT_EQ(camera.aspect, 1.6f);
    EXPECT_FALSE(framebufferResized);
    for (glm::ivec2 size : {glm::ivec2(0, 0), glm::ivec2(0, 200), glm::ivec2(320, 0)}) {
        reportedFramebufferSize = size;  // minimised: the last real size stays
        framebufferResized = true;
        testing::internal::CaptureStdout();
        runFrame();
        testing::internal::GetCapturedStdout();
        reportedFramebufferSize.reset();
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(glm::ivec4(fbWidth, renderer.height, renderer.gBuffer->width, viewport[2]),
                  glm::ivec4(320, 200, 320, 320));
        EXPECT_FLOAT_EQ(camera.aspect, 1.6f);
    }
    glfwSetWindowSize(window, oldWidth, oldHeight);
}

// A slider dragged past its ends stops at its range; the colour map reloads
// only when the combo reports a pick, the current item too; linked isolines
// copy U's parameters to V.
TEST_F(Shell, PanelSliderComboAndIsolineLink) {
    auto firstRedOfTheColourMap = [] {
        unsigned char texel[4];
        glGetTextureSubImage(renderer.gradientTextureId, 0, 0, 0, 0, 1, 1, 1, GL_RGBA,
                             GL_UNSIGNED_BYTE, 4, texel);
        return texel[0];
    };
    frame();
    std::optional<ImVec2> slider = find(id("Cont.width"));
    ASSERT_TRUE(slider);
    for (float x : {2000.0f, -500.0f}) {
        frame(*slider, true);
        frame(ImVec2(x, slider->y), true);
        frame(ImVec2(x, slider->y), false);
        EXPECT_EQ(renderer.contourWidth, x > 0 ? 10.0f : 1.0f);
    }
    renderer.scalar_field.enabled = true;
    click(id("Scalar field##ScalarFieldParams"));    // open the header
    const unsigned char marker[4] = {1, 2, 3, 255};  // gone after a reload
    glTextureSubImage2D(renderer.gradientTextureId, 0, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                        marker);
    for (int i = 0; i < 5; ++i) frame();
    EXPECT_EQ(firstRedOfTheColourMap(), 1) << "reloaded without a pick";
    for (int item : {0, 3}) {
        click(id("Colour map", "ScalarFieldStuff"));
        click(id(item ? "Magma" : "White-Blue", nullptr, item, "##Combo_00"));
        EXPECT_EQ(gradientTex, item);
        EXPECT_TRUE(item ? firstRedOfTheColourMap() < 40 : firstRedOfTheColourMap() > 200);
    }
    renderer.scalar_field.enabled = false;  // room for the isoline header
    renderer.isolines.enabled[0] = true;
    link_iso_line_params = true;
    click(id("Isolines##IsolinesParams"));
    renderer.isolines.freq[0] = 40.0f, renderer.isolines.width[0] = 2.0f;
    frame();
    EXPECT_EQ(glm::vec2(renderer.isolines.freq[1], renderer.isolines.width[1]), glm::vec2(40, 2));
}

// Each button opens its dialog where it should; a chosen file is used, a
// cancel keeps the last mesh path, and only a save moves the parameters' one.
TEST_F(Shell, PanelDialogButtonsStartWhereTheyShouldAndUseTheChosenFile) {
    frame();
    ScratchDir dir;
    const std::string path = getenv("PATH"), saved = dir.file("my settings; 'v2'.ini");
    const std::string assets = fs::path(MORVIK_SOURCE_DIR "/assets/").lexically_normal();
    const std::string mesh = assets + "example_meshes/bifurcation.off";
    setenv("ZENITY_LOG", dir.file("log").c_str(), 1);
    setenv("PATH", (MORVIK_SOURCE_DIR "/tests/app/data:" + path).c_str(), 1);  // the fake zenity
    renderer.hatching.enabled = false;
    // The button, the file chosen (empty: cancelled), the dialog's arguments.
    for (auto [button, chosen, arguments] :
         {std::tuple<const char*, std::string, std::string>{
              "Load mesh...", mesh,
              "--file-selection --title=Load mesh --filename=" + assets +
                  "example_meshes/ --file-filter=Model files (.obj .off) | *.obj *.off "
                  "--file-filter=All files | *\n"},
          {"Load mesh...", "", "--title=Load mesh --filename=" + mesh + " "},
          {"Load params...", assets + "params/hatching.ini",
           "--title=Load parameters --filename=" + assets +
               "params/ --file-filter=Parameter files (.ini) | *.ini --file-filter=All"},
          {"Save params...", saved,
           "--save --confirm-overwrite --filename=" + assets + "params/ "}}) {
        setenv("ZENITY_ANSWER", chosen.c_str(), 1);
        click(id(button));
        EXPECT_NE(readFile(dir.file("log")).find(arguments), std::string::npos)
            << readFile(dir.file("log"));
    }
    setenv("PATH", path.c_str(), 1);
    EXPECT_TRUE(renderer.F.rows() > 0 && lastMeshPath == mesh && renderer.hatching.enabled);
    EXPECT_EQ(paramsDir, saved);
    EXPECT_TRUE(fs::exists(saved));
}
