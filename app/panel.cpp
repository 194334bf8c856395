#include "app/panel.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <imgui.h>

#include <cstdio>

#include "app/load_mesh.h"
#include "app/window.h"
#include "parameters/param_file.h"
#include "parameters/shell_settings.h"
#include "platform/file_dialogs.h"
#include "render/renderer.h"
#include "render/shader_program.h"

std::string lastMeshPath;
std::string paramsDir;

namespace {

const std::vector<std::string> meshFilters = {"Model files (.obj .off)", "*.obj *.off", "All files",
                                              "*"};
const std::vector<std::string> paramFilters = {"Parameter files (.ini)", "*.ini", "All files", "*"};

// While a dialog is open the window keeps receiving its events (the callbacks
// only set flags); no frame is drawn.
void pumpWindowEvents() {
    glfwWaitEventsTimeout(0.05);
}

void ensureParamsDir() {
    if (paramsDir.empty()) paramsDir = absoluteStartPath(assetsDir + "/params/");
}

void mainVisualisations() {
    ImGui::Separator();
    ImGui::Text("Main visualisations");
    ImGui::Checkbox("Lighting", &renderer.useBlinnPhong);
    ImGui::Checkbox("Endpoints", &renderer.renderEndpoints);
    ImGui::Checkbox("Root point", &renderer.renderRootpoint);
    ImGui::Checkbox("Scalar field##EnableScalarField", &renderer.scalar_field.enabled);
    if (renderer.scalar_field.enabled) {
        ImGui::SameLine();
        ImGui::Checkbox("on contour##ScalarFieldOnContour", &renderer.scalar_field.onContour);
    }
    ImGui::Checkbox("U##EnableIsoU", &renderer.isolines.enabled[0]);
    ImGui::SameLine();
    ImGui::Checkbox("V isolines##EnableIsoV", &renderer.isolines.enabled[1]);
    ImGui::Checkbox("Hatching##EnableHatching", &renderer.hatching.enabled);
    ImGui::Checkbox("Decals##EnableDecals", &renderer.decals.enabled);
    if (renderer.decals.enabled) {
        ImGui::SameLine();
        ImGui::Checkbox("on contour##DecalsOnContour", &renderer.decals.onContour);
    }
}

void lightMaterialColor() {
    if (!ImGui::CollapsingHeader("Light,Material,Color")) return;
    ImGui::InputFloat3("Light dir", renderer.dirLight.direction);
    ImGui::Checkbox("Viewer-relative light", &renderer.dirLight.viewerRelative);
    ImGui::InputFloat("Ambient", &renderer.ambientLight, 0.0f, 0.0f, "%.3f");
    ImGui::InputFloat("Diff", &renderer.material.diffuse, 0.0f, 0.0f, "%.3f");
    ImGui::InputFloat("Spec", &renderer.material.specular, 0.0f, 0.0f, "%.3f");
    ImGui::InputFloat("Shiny", &renderer.material.shiny, 0.0f, 0.0f, "%.3f");
    ImGui::InputFloat("Sphere size", &renderer.sphereSize, 0.0f, 0.0f, "%.3f");
    const ImGuiColorEditFlags swatch = ImGuiColorEditFlags_NoInputs | ImGuiColorEditFlags_NoLabel;
    ImGui::ColorEdit3("Background##bgCol", renderer.colorBackground, swatch);
    ImGui::SameLine();
    ImGui::ColorEdit3("Contour##contCol", renderer.colorContour, swatch);
    ImGui::SameLine();
    ImGui::ColorEdit3("Mesh##meshCol", renderer.colorMesh, swatch);
    ImGui::SameLine();
    ImGui::ColorEdit3("MeshPlain##meshPlainCol", renderer.colorMeshPlain, swatch);
    ImGui::SameLine();
    ImGui::Text("Backg./Cont./Mesh/Unlit color");
    ImGui::Checkbox("Perspective", &usePerspective);
}

void developer() {
    if (!developerControls || !ImGui::CollapsingHeader("Developer")) return;
    ImGui::Checkbox("Depth aware JFA", &renderer.depthAwareJFA);
    ImGui::Checkbox("Add contours", &renderer.addContours);
    ImGui::InputFloat2("PolyOff", renderer.polyOffset);
    ImGui::InputFloat("Debug float", &renderer.debug_float, 0.0f, 0.0f, "%.5f");
    if (ImGui::Button("ImGui info")) showDemoWindow = true;
}

void scalarFieldParams() {
    if (!renderer.scalar_field.enabled ||
        !ImGui::CollapsingHeader("Scalar field##ScalarFieldParams"))
        return;
    ImGui::PushID("ScalarFieldStuff");
    // A pick (even of the current item) reloads; other frames never touch the texture.
    if (ImGui::Combo("Colour map", &gradientTex, "White-Blue\0White-Green\0Orange-Red\0Magma\0\0"))
        renderer.loadGradientTexture(gradientTextureFiles[gradientTex]);
    ImGui::Checkbox("Invert", &renderer.scalar_field.invert);
    ImGui::PopID();
}

void hatchingParams() {
    if (!renderer.hatching.enabled || !ImGui::CollapsingHeader("Hatching##HatchingParams")) return;
    ImGui::PushID("HatchingStuff");
    ImGui::SliderFloat("Frequency", &renderer.hatching.f, 0.0f, 500.0f, "%.3f");
    ImGui::SliderFloat("Offset", &renderer.hatching.o, 0.0f, 20.0f, "%.3f");
    ImGui::SliderFloat("Width", &renderer.hatching.w, 0.0f, 1.0f, "%.3f");
    ImGui::SliderFloat("Length", &renderer.hatching.l, 0.0f, 10.0f, "%.1f");
    ImGui::InputFloat("Strength", &renderer.hatching.s, 0.0f, 0.0f, "%.3f");
    ImGui::SliderInt("Number", &renderer.hatching.n, 1, 10, "%d");
    ImGui::PopID();
}

void isolineParams() {
    bool anyIsolines = renderer.isolines.enabled[0] || renderer.isolines.enabled[1];
    if (!anyIsolines || !ImGui::CollapsingHeader("Isolines##IsolinesParams")) return;
    ImGui::PushID("IsolinesStuff");
    ImGui::Checkbox("U##EnableIsoU", &renderer.isolines.enabled[0]);
    ImGui::SameLine();
    ImGui::Checkbox("V##EnableIsoV", &renderer.isolines.enabled[1]);
    ImGui::SameLine();
    ImGui::Checkbox("Same parameters", &link_iso_line_params);
    if (link_iso_line_params) {
        // Copied before the sliders: a slider change reaches V one frame later.
        renderer.isolines.freq[1] = renderer.isolines.freq[0];
        renderer.isolines.width[1] = renderer.isolines.width[0];
        ImGui::SliderFloat("Freq", &renderer.isolines.freq[0], 0.0f, 500.0f, "%.0f");
        ImGui::SliderFloat("Width", &renderer.isolines.width[0], 0.0f, 10.0f, "%.1f");
    } else {
        ImGui::SliderFloat2("Freq", renderer.isolines.freq, 0.0f, 500.0f, "%.0f");
        ImGui::SliderFloat2("Width", renderer.isolines.width, 0.0f, 10.0f, "%.1f");
    }
    ImGui::PopID();
}

void decalParams() {
    if (!renderer.decals.enabled || !ImGui::CollapsingHeader("Decals##DecalsParams")) return;
    ImGui::PushID("DecalsStuff");
    ImGui::InputFloat3("Scale", renderer.decals.scale);
    ImGui::InputFloat2("Offset", renderer.decals.offset);
    ImGui::Checkbox("Clamp V", &renderer.decals.clampV);
    ImGui::SameLine();
    ImGui::Checkbox("Invert V", &renderer.decals.invertV);
    ImGui::SameLine();
    ImGui::Checkbox("Anim", &renderer.decals.animate);
    ImGui::PopID();
}

}  // namespace

void drawPanel() {
    ImGui::Begin("Morvik");
    ImGui::Text(developerControls ? "F1: toggle GUI, F2: developer controls" : "F1: toggle GUI");
    mainVisualisations();
    ImGui::Separator();
    ImGui::Text("Parameters");
    ImGui::SliderFloat("Cont.width", &renderer.contourWidth, 1.0f, 10.0f, "%.1f");
    lightMaterialColor();
    developer();
    scalarFieldParams();
    hatchingParams();
    isolineParams();
    decalParams();
    ImGui::Separator();
    if (ImGui::Button("Load mesh...")) runMeshDialog();
    if (ImGui::Button("Load params...")) runLoadParamsDialog();
    ImGui::SameLine();
    if (ImGui::Button("Save params...")) runSaveParamsDialog();
}

void runMeshDialog() {
    std::string start =
        lastMeshPath.empty() ? absoluteStartPath(assetsDir + "/example_meshes/") : lastMeshPath;
    std::vector<std::string> chosen =
        openFileDialog("Load mesh", start, meshFilters, pumpWindowEvents);
    if (chosen.empty()) return;
    const std::string& path = chosen.front();
    printf("Loading mesh: %s\n", path.c_str());
    loadMesh(path);
    lastMeshPath = path;
}

void runLoadParamsDialog() {
    ensureParamsDir();
    std::vector<std::string> chosen =
        openFileDialog("Load parameters", paramsDir, paramFilters, pumpWindowEvents);
    if (chosen.empty()) return;
    loadParamsReporting(chosen.front());
}

void runSaveParamsDialog() {
    ensureParamsDir();
    std::string chosen =
        saveFileDialog("Save parameters as", paramsDir, paramFilters, pumpWindowEvents);
    if (chosen.empty()) return;
    saveParamsReporting(chosen);
    paramsDir = chosen;
}
