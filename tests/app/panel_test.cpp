// The parameter panel driven with synthetic mouse input on a real GL
// context: widgets edit their fields, headers follow their checkboxes in the
// same frame, the isoline link, the colour-map combo, and the three dialog
// buttons through a fake zenity on PATH.
#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_impl_opengl3.h>
#include <imgui_internal.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "app/camera.h"
#include "app/panel.h"
#include "app/window.h"
#include "gl_context.h"
#include "parameters/shell_settings.h"
#include "platform/file_dialogs.h"
#include "render/renderer.h"
#include "render/shader_program.h"

namespace fs = std::filesystem;

namespace {

// One GUI frame of the panel with the mouse at (x, y); the panel window is
// pinned at the origin and tall enough that nothing scrolls.
void frame(ImVec2 mouse, bool down = false) {
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(1024, 900);
    io.DeltaTime = 1.0f / 60.0f;
    io.MousePos = mouse;
    io.MouseDown[0] = down;
    ImGui_ImplOpenGL3_NewFrame();
    ImGui::NewFrame();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(500, 880));
    drawPanel();
    ImGui::End();
    ImGui::Render();
}

const ImVec2 away(900, 880);

ImGuiWindow* panelWindow() {
    return ImGui::FindWindowByName("Morvik");
}

// The ID a widget label gets in the panel, inside the given ID scope.
ImGuiID itemId(const char* label, const char* scope = nullptr) {
    ImGuiID seed = panelWindow()->ID;
    if (scope) seed = ImHashStr(scope, 0, seed);
    return ImHashStr(label, 0, seed);
}

// Where the widget is, found by hovering the panel; empty when it is not shown.
std::optional<ImVec2> find(ImGuiID id) {
    for (float y = 2; y < 870; y += 4)
        for (float x = 10; x < 490; x += 12) {
            frame(ImVec2(x, y));
            if (GImGui->HoveredId == id) return ImVec2(x, y);
        }
    return std::nullopt;
}

void click(ImVec2 at) {
    frame(at, true);
    frame(at, false);
    frame(away);
}

void clickItem(ImGuiID id) {
    std::optional<ImVec2> at = find(id);
    ASSERT_TRUE(at.has_value()) << "widget not shown";
    click(*at);
}

float contentHeight() {
    return panelWindow()->DC.CursorMaxPos.y;
}

class Panel : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // Once per process: the dialog suite derives from this one.
        if (!testGLWindow() || ImGui::GetCurrentContext()) return;
        assetsDir = sourceAssetsDir();
        setupCamera(camera, 1024, 768);
        ImGui::CreateContext();
        ImGui::GetIO().IniFilename = nullptr;
        ImGui_ImplOpenGL3_Init("#version 430 core");
        renderer.loadGradientTexture(gradientTextureFiles[0]);
        frame(away);
        frame(away);
    }
    void SetUp() override {
        REQUIRE_GL();
        developerControls = false;
        showDemoWindow = false;
        frame(away);
    }
};

// The first texel of the current colour-map texture.
std::array<unsigned char, 4> firstTexel() {
    std::array<unsigned char, 4> texel{};
    GLint w = 0, h = 0;
    glBindTexture(GL_TEXTURE_2D, renderer.gradientTextureId);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    std::vector<unsigned char> row(4 * w * h);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, row.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    std::copy(row.begin(), row.begin() + 4, texel.begin());
    return texel;
}

// Overwrites the first texel, so that a reload shows.
void markFirstTexel() {
    const unsigned char marker[4] = {1, 2, 3, 255};
    glBindTexture(GL_TEXTURE_2D, renderer.gradientTextureId);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, marker);
    glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace

TEST_F(Panel, CheckboxesAndSlidersEditTheirFields) {
    bool lighting = renderer.useBlinnPhong;
    clickItem(itemId("Lighting"));
    EXPECT_EQ(renderer.useBlinnPhong, !lighting);
    clickItem(itemId("Lighting"));
    EXPECT_EQ(renderer.useBlinnPhong, lighting);

    // Dragging the contour-width slider to either end gives its range.
    std::optional<ImVec2> slider = find(itemId("Cont.width"));
    ASSERT_TRUE(slider);
    frame(*slider, true);
    frame(ImVec2(2000, slider->y), true);
    frame(ImVec2(2000, slider->y), false);
    EXPECT_EQ(renderer.contourWidth, 10.0f);
    frame(*slider, true);
    frame(ImVec2(-500, slider->y), true);
    frame(ImVec2(-500, slider->y), false);
    EXPECT_EQ(renderer.contourWidth, 1.0f);
}

TEST_F(Panel, HelpTextAndDeveloperHeaderFollowTheF2Flag) {
    EXPECT_FALSE(find(itemId("Developer")));
    developerControls = true;
    std::optional<ImVec2> header = find(itemId("Developer"));
    ASSERT_TRUE(header);
    click(*header);  // open it
    clickItem(itemId("ImGui info"));
    EXPECT_TRUE(showDemoWindow);
    click(*header);  // closed again for the other tests
}

TEST_F(Panel, ScalarFieldCheckboxShowsItsWidgetsInTheSameFrame) {
    renderer.scalar_field.enabled = false;
    frame(away);
    float before = contentHeight();
    std::optional<ImVec2> box = find(itemId("Scalar field##EnableScalarField"));
    ASSERT_TRUE(box);
    frame(*box, true);
    frame(*box, false);  // ticked here, and drawn with its dependants here
    EXPECT_TRUE(renderer.scalar_field.enabled);
    float clickFrame = contentHeight();
    frame(away);
    EXPECT_GT(clickFrame, before);
    EXPECT_EQ(clickFrame, contentHeight());
    EXPECT_TRUE(find(itemId("on contour##ScalarFieldOnContour")));
    EXPECT_TRUE(find(itemId("Scalar field##ScalarFieldParams")));

    clickItem(itemId("Scalar field##EnableScalarField"));
    EXPECT_FALSE(renderer.scalar_field.enabled);
    EXPECT_FALSE(find(itemId("Scalar field##ScalarFieldParams")));
    EXPECT_FALSE(find(itemId("on contour##ScalarFieldOnContour")));
}

TEST_F(Panel, ColourMapReloadsOnlyWhenTheComboReportsAPick) {
    renderer.scalar_field.enabled = true;
    gradientTex = 0;
    renderer.loadGradientTexture(gradientTextureFiles[0]);
    clickItem(itemId("Scalar field##ScalarFieldParams"));  // open the header
    std::array<unsigned char, 4> whiteBlue = firstTexel();

    markFirstTexel();
    for (int i = 0; i < 5; ++i) frame(away);
    EXPECT_EQ(firstTexel()[0], 1) << "reloaded without a pick";

    // Open the combo and pick each item, top to bottom, from its popup.
    std::optional<ImVec2> combo = find(itemId("Colour map", "ScalarFieldStuff"));
    ASSERT_TRUE(combo);
    auto pick = [&](int item) {
        click(*combo);
        std::vector<std::pair<ImGuiID, ImVec2>> items;
        for (float y = combo->y; y < combo->y + 150 && items.size() < 4; y += 2) {
            frame(ImVec2(combo->x, y));
            ImGuiID id = GImGui->HoveredId;
            if (GImGui->HoveredWindow && GImGui->HoveredWindow != panelWindow() && id != 0 &&
                (items.empty() || items.back().first != id))
                items.push_back({id, ImVec2(combo->x, y)});
        }
        ASSERT_EQ(items.size(), 4u);
        click(items[item].second);
    };
    pick(0);  // the item already selected: reloaded all the same
    EXPECT_EQ(gradientTex, 0);
    EXPECT_EQ(firstTexel(), whiteBlue);
    pick(3);
    EXPECT_EQ(gradientTex, 3);
    std::array<unsigned char, 4> magma = firstTexel();
    EXPECT_LT(magma[0], 40);  // magma starts near black, white-blue at white
    EXPECT_GT(whiteBlue[0], 200);

    clickItem(itemId("Scalar field##ScalarFieldParams"));
    renderer.scalar_field.enabled = false;
}

TEST_F(Panel, IsolineLinkCopiesUToVBeforeTheSliders) {
    renderer.isolines.enabled[0] = false;
    renderer.isolines.enabled[1] = false;
    frame(away);
    EXPECT_FALSE(find(itemId("Isolines##IsolinesParams")));
    clickItem(itemId("V isolines##EnableIsoV"));
    ASSERT_TRUE(renderer.isolines.enabled[1]);
    clickItem(itemId("Isolines##IsolinesParams"));

    link_iso_line_params = true;
    renderer.isolines.freq[0] = 40.0f;
    renderer.isolines.width[0] = 2.0f;
    renderer.isolines.freq[1] = 7.0f;
    renderer.isolines.width[1] = 9.0f;
    frame(away);
    EXPECT_EQ(renderer.isolines.freq[1], 40.0f);
    EXPECT_EQ(renderer.isolines.width[1], 2.0f);

    // Unlinked, the two sliders of "Freq" edit both elements apart.
    clickItem(itemId("Same parameters", "IsolinesStuff"));
    EXPECT_FALSE(link_iso_line_params);
    renderer.isolines.freq[1] = 7.0f;
    frame(away);
    EXPECT_EQ(renderer.isolines.freq[1], 7.0f);

    // The header's V box edits the same field as the main one: unticking it
    // removes the header from the next frame on.
    clickItem(itemId("V##EnableIsoV", "IsolinesStuff"));
    EXPECT_FALSE(renderer.isolines.enabled[1]);
    EXPECT_FALSE(find(itemId("Isolines##IsolinesParams")));
    link_iso_line_params = true;
}

class PanelDialogs : public Panel {
  protected:
    void SetUp() override {
        Panel::SetUp();
        if (IsSkipped()) return;
        std::string pattern = (fs::temp_directory_path() / "morvik-panel-XXXXXX").string();
        dir = mkdtemp(pattern.data());
        savedPath = getenv("PATH");
        // A fake zenity: logs its arguments, one per line after a "--" line,
        // then prints whatever the test put in answer.
        std::string tool = dir + "/zenity";
        std::ofstream(tool) << "#!/bin/sh\n"
                            << "echo -- >> '" << dir << "/log'\n"
                            << "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '" << dir
                            << "/log'\n"
                            << "cat '" << dir << "/answer'\n";
        chmod(tool.c_str(), 0755);
        setenv("PATH", (dir + ":/usr/bin:/bin").c_str(), 1);
        lastMeshPath.clear();
        paramsDir.clear();
    }
    void TearDown() override {
        if (!dir.empty()) {
            setenv("PATH", savedPath.c_str(), 1);
            fs::remove_all(dir);
        }
    }
    void answer(const std::string& path) { std::ofstream(dir + "/answer") << path << "\n"; }
    // The arguments of each call, in order.
    std::vector<std::vector<std::string>> calls() {
        std::vector<std::vector<std::string>> all;
        std::ifstream in(dir + "/log");
        for (std::string line; std::getline(in, line);) {
            if (line == "--")
                all.emplace_back();
            else
                all.back().push_back(line);
        }
        return all;
    }
    std::string dir;
    std::string savedPath;
};

TEST_F(PanelDialogs, LoadMeshStartsInExamplesThenAtTheLastMesh) {
    std::string mesh = sourceAssetsDir() + "/example_meshes/bifurcation.off";
    answer(mesh);
    testing::internal::CaptureStdout();
    clickItem(itemId("Load mesh..."));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("Loading mesh: " + mesh + "\n", 0), 0u) << out;
    EXPECT_NE(out.find("maxU = "), std::string::npos);
    EXPECT_EQ(lastMeshPath, mesh);
    EXPECT_GT(renderer.F.rows(), 0);

    answer("");  // cancelled: zenity prints nothing
    clickItem(itemId("Load mesh..."));
    std::vector<std::vector<std::string>> log = calls();
    ASSERT_EQ(log.size(), 2u);
    std::string examples =
        fs::path(MORVIK_SOURCE_DIR).lexically_normal().string() + "/assets/example_meshes/";
    std::vector<std::string> first = {
        "--file-selection", "--title=Load mesh", "--filename=" + examples,
        "--file-filter=Model files (.obj .off) | *.obj *.off", "--file-filter=All files | *"};
    EXPECT_EQ(log[0], first);
    EXPECT_EQ(log[1][2], "--filename=" + mesh);
    EXPECT_EQ(lastMeshPath, mesh);
}

TEST_F(PanelDialogs, ParameterDialogsStartInParamsThenAtTheLastSave) {
    std::string params =
        fs::path(MORVIK_SOURCE_DIR).lexically_normal().string() + "/assets/params/";
    renderer.hatching.enabled = false;
    answer(params + "hatching.ini");
    clickItem(itemId("Load params..."));
    EXPECT_TRUE(renderer.hatching.enabled);  // the file was read
    EXPECT_EQ(paramsDir, params);            // a load changes nothing

    std::string saved = dir + "/my settings; 'v2'.ini";
    answer(saved);
    renderer.hatching.enabled = true;
    clickItem(itemId("Save params..."));
    EXPECT_TRUE(fs::exists(saved));
    EXPECT_EQ(paramsDir, saved);

    answer("");
    clickItem(itemId("Load params..."));
    std::vector<std::vector<std::string>> log = calls();
    ASSERT_EQ(log.size(), 3u);
    std::vector<std::string> load = {
        "--file-selection", "--title=Load parameters", "--filename=" + params,
        "--file-filter=Parameter files (.ini) | *.ini", "--file-filter=All files | *"};
    EXPECT_EQ(log[0], load);
    EXPECT_EQ(log[1][1], "--title=Save parameters as");
    EXPECT_EQ(log[1][2], "--save");
    EXPECT_EQ(log[1][4], "--filename=" + params);
    EXPECT_EQ(log[2][2], "--filename=" + saved);
}
