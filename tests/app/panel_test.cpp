// The parameter panel driven with synthetic mouse input on a real GL context,
// and its three dialog buttons through a fake zenity on PATH.
#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_impl_opengl3.h>
#include <imgui_internal.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "app/camera.h"
#include "app/panel.h"
#include "app/window.h"
#include "gl_context.h"
#include "parameters/shell_settings.h"
#include "render/renderer.h"
#include "render/shader_program.h"

namespace fs = std::filesystem;

namespace {

// One GUI frame with the mouse at `at`; the panel is pinned and tall enough
// that nothing scrolls.
void frame(ImVec2 at, bool down = false) {
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

const ImVec2 away(900, 880);

// The ID of a widget label in a window (the panel unless named), inside a
// pushed string or index scope.
ImGuiID itemId(const char* label, const char* scope = nullptr, int index = -1,
               const char* window = "Morvik") {
    ImGuiID seed = ImGui::FindWindowByName(window)->ID;
    if (scope) seed = ImHashStr(scope, 0, seed);
    if (index >= 0) seed = ImHashData(&index, sizeof index, seed);
    return ImHashStr(label, 0, seed);
}

// Where the widget is, found by hovering; empty when it is not shown.
std::optional<ImVec2> find(ImGuiID id) {
    for (float y = 2; y < 870; y += 4)
        for (float x = 10; x < 490; x += 12) {
            frame(ImVec2(x, y));
            if (GImGui->HoveredId == id) return ImVec2(x, y);
        }
    return std::nullopt;
}

void click(ImGuiID id) {
    std::optional<ImVec2> at = find(id);
    ASSERT_TRUE(at) << "widget not shown";
    frame(*at, true);
    frame(*at, false);
    frame(away);
}

unsigned char firstRedOfTheColourMap() {
    unsigned char texel[4];
    glGetTextureSubImage(renderer.gradientTextureId, 0, 0, 0, 0, 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                         4, texel);
    return texel[0];
}

class Panel : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!testGLWindow()) return;
        assetsDir = sourceAssetsDir();
        setupCamera(camera, 1024, 768);
        ImGui::CreateContext();
        ImGui::GetIO().IniFilename = nullptr;
        ImGui::GetIO().DisplaySize = ImVec2(1024, 900);
        ImGui_ImplOpenGL3_Init("#version 430 core");
        renderer.loadGradientTexture(gradientTextureFiles[0]);
    }
    void SetUp() override {
        REQUIRE_GL();
        frame(away);
    }
};

}  // namespace

TEST_F(Panel, ASliderDraggedPastItsEndsStopsAtItsRange) {
    std::optional<ImVec2> slider = find(itemId("Cont.width"));  // dragged to either end
    ASSERT_TRUE(slider);
    for (float x : {2000.0f, -500.0f}) {
        frame(*slider, true);
        frame(ImVec2(x, slider->y), true);
        frame(ImVec2(x, slider->y), false);
        EXPECT_EQ(renderer.contourWidth, x > 0 ? 10.0f : 1.0f);
    }
}

TEST_F(Panel, ColourMapReloadsOnlyWhenTheComboReportsAPick) {
    renderer.scalar_field.enabled = true;
    click(itemId("Scalar field##ScalarFieldParams"));  // open the header
    const unsigned char marker[4] = {1, 2, 3, 255};    // overwritten by a reload
    glTextureSubImage2D(renderer.gradientTextureId, 0, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                        marker);
    for (int i = 0; i < 5; ++i) frame(away);
    EXPECT_EQ(firstRedOfTheColourMap(), 1) << "reloaded without a pick";

    const char* items[] = {"White-Blue", "Magma"};
    for (int item : {0, 1}) {  // the current item too reloads
        click(itemId("Colour map", "ScalarFieldStuff"));
        click(itemId(items[item], nullptr, item * 3, "##Combo_00"));
        EXPECT_EQ(gradientTex, item * 3);
        EXPECT_TRUE(item ? firstRedOfTheColourMap() < 40 : firstRedOfTheColourMap() > 200);
    }
}

TEST_F(Panel, IsolineHeaderAppearsInTheSameFrameAndItsLinkCopiesUToV) {
    renderer.scalar_field.enabled = false;  // room for the isoline header
    renderer.isolines.enabled[0] = renderer.isolines.enabled[1] = false;
    frame(away);
    float before = ImGui::FindWindowByName("Morvik")->DC.CursorMaxPos.y;
    std::optional<ImVec2> box = find(itemId("V isolines##EnableIsoV"));
    ASSERT_TRUE(box);
    frame(*box, true);
    frame(*box, false);  // ticked here, and its header drawn here
    EXPECT_TRUE(renderer.isolines.enabled[1]);
    float clickFrame = ImGui::FindWindowByName("Morvik")->DC.CursorMaxPos.y;
    frame(away);
    EXPECT_GT(clickFrame, before);
    EXPECT_EQ(clickFrame, ImGui::FindWindowByName("Morvik")->DC.CursorMaxPos.y);
    click(itemId("Isolines##IsolinesParams"));
    link_iso_line_params = true;
    renderer.isolines.freq[0] = 40.0f, renderer.isolines.width[0] = 2.0f;
    frame(away);
    EXPECT_EQ(glm::vec2(renderer.isolines.freq[1], renderer.isolines.width[1]), glm::vec2(40, 2));
    click(itemId("Same parameters", "IsolinesStuff"));  // unlinked: V keeps its own
    renderer.isolines.freq[1] = 7.0f;
    frame(away);
    EXPECT_EQ(renderer.isolines.freq[1], 7.0f);
    // The header's V box edits the main one's field: the header goes.
    click(itemId("V##EnableIsoV", "IsolinesStuff"));
    EXPECT_FALSE(renderer.isolines.enabled[1]);
    EXPECT_FALSE(find(itemId("Isolines##IsolinesParams")));
}

TEST_F(Panel, DialogButtonsStartWhereTheyShouldAndUseTheChosenFile) {
    std::string log = testing::TempDir() + "morvik-zenity.log", path = getenv("PATH");
    std::string saved = testing::TempDir() + "my settings; 'v2'.ini";
    std::string assets = fs::path(MORVIK_SOURCE_DIR).lexically_normal().string() + "/assets/";
    std::string mesh = assets + "example_meshes/bifurcation.off",
                all = " --file-filter=All files | *";
    setenv("ZENITY_LOG", log.c_str(), 1);
    setenv("PATH", (MORVIK_SOURCE_DIR "/tests/app/data:" + path).c_str(), 1);  // the fake zenity
    renderer.hatching.enabled = false;
    // The button, the file chosen (empty: cancelled), the dialog's arguments.
    for (auto [button, chosen, arguments] :
         {std::tuple<const char*, std::string, std::string>{
              "Load mesh...", mesh,
              "--file-selection --title=Load mesh --filename=" + assets +
                  "example_meshes/ --file-filter=Model files (.obj .off) | *.obj *.off" + all},
          {"Load mesh...", "", "--title=Load mesh --filename=" + mesh + " "},
          {"Load params...", assets + "params/hatching.ini",
           "--file-selection --title=Load parameters --filename=" + assets +
               "params/ --file-filter=Parameter files (.ini) | *.ini" + all},
          {"Save params...", saved,
           "--title=Save parameters as --save --confirm-overwrite --filename=" + assets +
               "params/ "}}) {
        setenv("ZENITY_ANSWER", chosen.c_str(), 1);
        click(itemId(button));
        std::string call;
        std::getline(std::ifstream(log), call);
        EXPECT_NE(call.find(arguments), std::string::npos) << call;
    }
    setenv("PATH", path.c_str(), 1);
    EXPECT_GT(renderer.F.rows(), 0);
    EXPECT_EQ(lastMeshPath, mesh);  // kept when cancelled
    EXPECT_TRUE(renderer.hatching.enabled);
    EXPECT_TRUE(fs::remove(saved));
    EXPECT_EQ(paramsDir, saved);  // a save moves the start path, a load does not
    fs::remove(log);
}
