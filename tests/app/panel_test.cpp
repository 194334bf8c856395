// The parameter panel driven with synthetic mouse input on a real GL context,
// and its three dialog buttons through a fake zenity on PATH.
#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_impl_opengl3.h>
#include <imgui_internal.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>

#include "app/camera.h"
#include "app/panel.h"
#include "app/window.h"
#include "gl_context.h"
#include "parameters/shell_settings.h"
#include "render/renderer.h"
#include "render/shader_program.h"
#include "scratch_dir.h"

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

// A widget's ID in a window (the panel unless named) and a pushed scope.
ImGuiID itemId(const char* label, const char* scope = nullptr, int index = -1,
               const char* window = "Morvik") {
    ImGuiID seed = ImGui::FindWindowByName(window)->ID;
    if (scope) seed = ImHashStr(scope, 0, seed);
    if (index >= 0) seed = ImHashData(&index, sizeof index, seed);
    return ImHashStr(label, 0, seed);
}

// Where the widget is, found by hovering; empty when not shown.
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

// A slider dragged past its ends stops at its range; the colour map reloads
// only when the combo reports a pick, the current item too; linked isolines
// copy U's parameters to V, unlinked ones keep their own.
TEST_F(Panel, SliderComboAndIsolineLink) {
    std::optional<ImVec2> slider = find(itemId("Cont.width"));
    ASSERT_TRUE(slider);
    for (float x : {2000.0f, -500.0f}) {
        frame(*slider, true);
        frame(ImVec2(x, slider->y), true);
        frame(ImVec2(x, slider->y), false);
        EXPECT_EQ(renderer.contourWidth, x > 0 ? 10.0f : 1.0f);
    }
    renderer.scalar_field.enabled = true;
    click(itemId("Scalar field##ScalarFieldParams"));  // open the header
    const unsigned char marker[4] = {1, 2, 3, 255};    // gone after a reload
    glTextureSubImage2D(renderer.gradientTextureId, 0, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                        marker);
    for (int i = 0; i < 5; ++i) frame(away);
    EXPECT_EQ(firstRedOfTheColourMap(), 1) << "reloaded without a pick";
    for (int item : {0, 3}) {
        click(itemId("Colour map", "ScalarFieldStuff"));
        click(itemId(item ? "Magma" : "White-Blue", nullptr, item, "##Combo_00"));
        EXPECT_EQ(gradientTex, item);
        EXPECT_TRUE(item ? firstRedOfTheColourMap() < 40 : firstRedOfTheColourMap() > 200);
    }
    renderer.scalar_field.enabled = false;  // room for the isoline header
    renderer.isolines.enabled[0] = true;
    link_iso_line_params = true;
    click(itemId("Isolines##IsolinesParams"));
    renderer.isolines.freq[0] = 40.0f, renderer.isolines.width[0] = 2.0f;
    frame(away);
    EXPECT_EQ(glm::vec2(renderer.isolines.freq[1], renderer.isolines.width[1]), glm::vec2(40, 2));
    click(itemId("Same parameters", "IsolinesStuff"));
    renderer.isolines.freq[1] = 7.0f;
    frame(away);
    EXPECT_EQ(renderer.isolines.freq[1], 7.0f);
}

// Each button opens its dialog where it should; a chosen file is used, a
// cancel keeps the last mesh path, and only a save moves the parameters' one.
TEST_F(Panel, DialogButtonsStartWhereTheyShouldAndUseTheChosenFile) {
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
        click(itemId(button));
        EXPECT_NE(readFile(dir.file("log")).find(arguments), std::string::npos)
            << readFile(dir.file("log"));
    }
    setenv("PATH", path.c_str(), 1);
    EXPECT_TRUE(renderer.F.rows() > 0 && lastMeshPath == mesh && renderer.hatching.enabled);
    EXPECT_EQ(paramsDir, saved);
    EXPECT_TRUE(fs::exists(saved));
}
