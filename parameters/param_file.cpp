#include "parameters/param_file.h"

#include <cstdio>
#include <new>
#include <vector>

#include "parameters/ini_file.h"
#include "parameters/param_values.h"
#include "parameters/shell_settings.h"
#include "render/renderer.h"

namespace {

const std::string section = "Settings";

enum class ParamType { boolean, integer, colourMap, real, vec3, vec2 };

struct ParamKey {
    const char* key;
    ParamType type;
    void* value;
};

// The file's keys in file order. A vec2 is two float keys, key + ".x" and
// key + ".y"; a colourMap is an int that must index gradientTextureFiles.
const std::vector<ParamKey>& paramKeys() {
    static const std::vector<ParamKey> keys = {
        {"useBlinnPhong", ParamType::boolean, &renderer.useBlinnPhong},
        {"renderEndpoints", ParamType::boolean, &renderer.renderEndpoints},
        {"renderRootpoint", ParamType::boolean, &renderer.renderRootpoint},
        {"scalar_field.enabled", ParamType::boolean, &renderer.scalar_field.enabled},
        {"scalar_field.onContour", ParamType::boolean, &renderer.scalar_field.onContour},
        {"isolines.enabled.0", ParamType::boolean, &renderer.isolines.enabled[0]},
        {"isolines.enabled.1", ParamType::boolean, &renderer.isolines.enabled[1]},
        {"hatching.enabled", ParamType::boolean, &renderer.hatching.enabled},
        {"decals.enabled", ParamType::boolean, &renderer.decals.enabled},
        {"decals.onContour", ParamType::boolean, &renderer.decals.onContour},
        {"contourWidth", ParamType::real, &renderer.contourWidth},
        {"dirLight.direction", ParamType::vec3, renderer.dirLight.direction},
        {"dirLight.viewerRelative", ParamType::boolean, &renderer.dirLight.viewerRelative},
        {"ambientLight", ParamType::real, &renderer.ambientLight},
        {"material.diffuse", ParamType::real, &renderer.material.diffuse},
        {"material.specular", ParamType::real, &renderer.material.specular},
        {"material.shiny", ParamType::real, &renderer.material.shiny},
        {"sphereSize", ParamType::real, &renderer.sphereSize},
        {"colorBackground", ParamType::vec3, renderer.colorBackground},
        {"colorContour", ParamType::vec3, renderer.colorContour},
        {"colorMesh", ParamType::vec3, renderer.colorMesh},
        {"colorMeshPlain", ParamType::vec3, renderer.colorMeshPlain},
        {"usePerspective", ParamType::boolean, &usePerspective},
        {"depthAwareJFA", ParamType::boolean, &renderer.depthAwareJFA},
        {"addContours", ParamType::boolean, &renderer.addContours},
        {"polyOffset_0", ParamType::real, &renderer.polyOffset[0]},
        {"polyOffset_1", ParamType::real, &renderer.polyOffset[1]},
        {"debug_float", ParamType::real, &renderer.debug_float},
        {"gradientTex", ParamType::colourMap, &gradientTex},
        {"scalar_field.invert", ParamType::boolean, &renderer.scalar_field.invert},
        {"hatching.f", ParamType::real, &renderer.hatching.f},
        {"hatching.o", ParamType::real, &renderer.hatching.o},
        {"hatching.w", ParamType::real, &renderer.hatching.w},
        {"hatching.l", ParamType::real, &renderer.hatching.l},
        {"hatching.s", ParamType::real, &renderer.hatching.s},
        {"hatching.n", ParamType::integer, &renderer.hatching.n},
        {"link_iso_line_params", ParamType::boolean, &link_iso_line_params},
        {"isolines.freq_0", ParamType::real, &renderer.isolines.freq[0]},
        {"isolines.freq_1", ParamType::real, &renderer.isolines.freq[1]},
        {"isolines.width_0", ParamType::real, &renderer.isolines.width[0]},
        {"isolines.width_1", ParamType::real, &renderer.isolines.width[1]},
        {"decals.scale", ParamType::vec3, renderer.decals.scale},
        {"decals.offset", ParamType::vec2, renderer.decals.offset},
        {"decals.clampV", ParamType::boolean, &renderer.decals.clampV},
        {"decals.invertV", ParamType::boolean, &renderer.decals.invertV},
        {"decals.animate", ParamType::boolean, &renderer.decals.animate},
    };
    return keys;
}

void writeParam(IniDocument& document, const ParamKey& param) {
    const std::string key = param.key;
    switch (param.type) {
        case ParamType::boolean:
            writeIniBool(document, section, key, static_cast<bool*>(param.value));
            break;
        case ParamType::integer:
        case ParamType::colourMap:
            writeIniInt(document, section, key, static_cast<int*>(param.value));
            break;
        case ParamType::real:
            writeIniFloat(document, section, key, static_cast<float*>(param.value));
            break;
        case ParamType::vec3:
            writeIniVec3(document, section, key, static_cast<float*>(param.value));
            break;
        case ParamType::vec2: {
            float* value = static_cast<float*>(param.value);
            writeIniFloat(document, section, key + ".x", &value[0]);
            writeIniFloat(document, section, key + ".y", &value[1]);
            break;
        }
    }
}

void readParam(IniDocument& document, const ParamKey& param, const std::string& path) {
    const std::string key = param.key;
    switch (param.type) {
        case ParamType::boolean:
            readIniBool(document, section, key, static_cast<bool*>(param.value));
            break;
        case ParamType::integer: {
            const std::string& text = document[section][key];
            if (!text.empty()) *static_cast<int*>(param.value) = parseIniInt(text, key);
            break;
        }
        case ParamType::colourMap: {
            // The index picks a file name from a table of four: a value
            // outside it must never reach the table.
            const std::string& text = document[section][key];
            if (text.empty()) break;
            int index = parseIniInt(text, key);
            if (index >= 0 && index < gradientTextureCount) {
                *static_cast<int*>(param.value) = index;
            } else {
                std::printf(
                    "ERROR: parameter file %s: key %s: colour map %d is not 0 to %d, kept %d\n",
                    path.c_str(), iniNormalName(key).c_str(), index, gradientTextureCount - 1,
                    *static_cast<int*>(param.value));
            }
            break;
        }
        case ParamType::real:
            readIniFloat(document, section, key, static_cast<float*>(param.value));
            break;
        case ParamType::vec3:
            readIniVec3(document, section, key, static_cast<float*>(param.value));
            break;
        case ParamType::vec2: {
            float* value = static_cast<float*>(param.value);
            readIniFloat(document, section, key + ".x", &value[0]);
            readIniFloat(document, section, key + ".y", &value[1]);
            break;
        }
    }
}

}  // namespace

bool saveParams(std::string path) {
    IniDocument document;
    for (const ParamKey& param : paramKeys()) writeParam(document, param);
    return IniFile(std::move(path)).write(document);
}

bool readParams(const std::string& path) {
    IniDocument document;
    if (!IniFile(path).read(document)) return false;
    for (const ParamKey& param : paramKeys()) readParam(document, param, path);
    return true;
}

bool loadParams(std::string path) {
    if (!readParams(path)) return false;
    renderer.loadGradientTexture(gradientTextureFiles[gradientTex]);
    return true;
}

bool loadParamsReporting(const std::string& path) {
    std::string failure;
    try {
        if (loadParams(path)) return true;
        failure = "cannot be read";
    } catch (const ParamInvalidError& error) {
        failure = "key " + error.key + ": " + error.what();
    } catch (const ParamRangeError& error) {
        failure = "key " + error.key + ": " + error.what();
    } catch (const std::bad_alloc&) {
        // Thrown while the file is read, before any parameter has changed.
        failure = "not enough memory to read it";
    }
    std::printf("ERROR: parameter file %s: %s\n", path.c_str(), failure.c_str());
    return false;
}

bool saveParamsReporting(const std::string& path) {
    if (saveParams(path)) return true;
    std::printf("ERROR: parameter file %s: cannot be written\n", path.c_str());
    return false;
}
