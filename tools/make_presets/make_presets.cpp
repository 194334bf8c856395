// Writes the parameter-file presets that show the viewer's looks, each
// through saveParams so that they are exactly what the panel would save.
// Usage: make_presets [folder]   (default: assets/params, run from the source root)

#include <cstdio>
#include <functional>
#include <string>

#include "parameters/param_file.h"
#include "parameters/shell_settings.h"
#include "render/renderer.h"

namespace {

void setVec3(float* target, float x, float y, float z) {
    target[0] = x;
    target[1] = y;
    target[2] = z;
}

// Illustration on white: no lighting colour, contours and hatching only.
void hatching() {
    renderer.useBlinnPhong = false;
    setVec3(renderer.colorBackground, 1.0f, 1.0f, 1.0f);
    setVec3(renderer.colorMeshPlain, 1.0f, 1.0f, 1.0f);
    renderer.contourWidth = 2.5f;
    renderer.hatching.enabled = true;
    renderer.hatching.f = 150.0f;
    renderer.hatching.w = 0.35f;
    renderer.hatching.l = 4.0f;
    renderer.hatching.s = 2.5f;
    renderer.hatching.n = 2;
}

// U as a colour-mapped field with isolines of U along the tree.
void scalarFieldIsolines() {
    renderer.useBlinnPhong = true;
    setVec3(renderer.colorBackground, 0.15f, 0.15f, 0.18f);
    renderer.scalar_field.enabled = true;
    renderer.scalar_field.invert = false;
    gradientTex = 3;
    renderer.isolines.enabled[0] = true;
    renderer.isolines.freq[0] = renderer.isolines.freq[1] = 40.0f;
    renderer.isolines.width[0] = renderer.isolines.width[1] = 1.5f;
    renderer.material.specular = 0.2f;
}

// Arrow decals that flow along U from the root, over a light colour map.
void flowDecals() {
    renderer.useBlinnPhong = true;
    setVec3(renderer.colorBackground, 0.95f, 0.95f, 0.95f);
    renderer.scalar_field.enabled = true;
    gradientTex = 0;
    renderer.decals.enabled = true;
    renderer.decals.animate = true;
    setVec3(renderer.decals.scale, 2.0f, 0.1f, 0.5f);
    renderer.renderRootpoint = true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "assets/params";
    const std::string defaults = folder + "/defaults.ini";
    if (!saveParamsReporting(defaults)) return 1;
    const std::pair<const char*, std::function<void()>> presets[] = {
        {"hatching.ini", hatching},
        {"scalar_field_isolines.ini", scalarFieldIsolines},
        {"flow_decals.ini", flowDecals},
    };
    for (const auto& [name, change] : presets) {
        // Every preset starts from the defaults; reading needs no GL context.
        if (!readParams(defaults)) return 1;
        change();
        if (!saveParamsReporting(folder + "/" + name)) return 1;
    }
    std::printf("Wrote %zu presets to %s\n", std::size(presets) + 1, folder.c_str());
    return 0;
}
