#version 430 core
// Composition: the shaded mesh from the view-space G-buffer, its contour,
// the colour-mapped U field, isolines of U and V, hatching and arrow decals.
// U comes from the normal image's w, V from the jump flood (distance to the
// contour over the half width: 0 on the contour, 1 on the centre line).
uniform vec3 dirLight_direction_VS;
uniform float ambientLight;
uniform float mat_diffuse;
uniform float mat_specular;
uniform float mat_shiny;
uniform float u_scale;
uniform vec3 bgColor;
uniform vec3 contourColor;
uniform vec3 mesh_base_color;
uniform bool hasContours;
uniform ivec2 screenSize;
uniform float time;
uniform float debug_float;
uniform bool use_blinn_phong;

struct ScalarField {
    bool enabled;
    bool onContour;
    bool useTexture;
    bool invert;
};
uniform ScalarField scalar_field;

struct Hatching {
    bool enabled;
    float f;  // strokes per unit of normalised U
    float o;  // phase offset, in strokes
    float w;  // stroke width, as a share of the spacing
    float l;  // stroke length: how far strokes reach in from the contour
    float s;  // strength: ink opacity
    int n;    // layers; each darker tone adds one between the others
};
uniform Hatching hatching;

struct Isolines {
    bool enabled;
    float freq;
    float width;  // pixels
};
uniform Isolines isolines_u;
uniform Isolines isolines_v;

struct Decals {
    bool enabled;
    bool onContour;
    vec3 scale;   // x: period over arrow length, y: period in normalised U, z: periods per second
    vec2 offset;  // x: along the arrow, y: across the vessel
    bool clampV;
    bool invertV;
    bool animate;
};
uniform Decals decals;

uniform sampler2D texPositionVS;
uniform sampler2D texNormalVS;
uniform sampler2D texParamV;
uniform sampler2D texDecal;
uniform sampler2D texGrad;

layout(location = 0) out vec4 outColor;

#include "blinn_phong.glsl"
#include "contour_fringe.glsl"
#include "line_coverage.glsl"

// How far the strokes reach in from the contour, in V, per unit of
// hatching.l at full darkness; and the ink opacity per unit of hatching.s.
const float hatchReachPerLength = 0.4;
const float hatchInkPerStrength = 0.35;
// V runs 0 to 1 from contour to centre line: at this scale the default
// frequency of 100 gives five lines on each side, the centre line among them.
const float vIsolineScale = 0.05;

vec3 colorMap(float u) {
    float x = clamp(scalar_field.invert ? 1.0 - u : u, 0.0, 1.0);
    return scalar_field.useTexture ? texture(texGrad, vec2(x, 0.5)).rgb : vec3(x);
}

// Isolines of x at the given frequency, the width in pixels whatever the zoom.
// A frequency or width of 0 draws nothing (not one line over everything).
float isolineCoverage(float x, float dx, Isolines iso) {
    bool drawn = iso.enabled && iso.freq > 0.0 && iso.width > 0.0;
    return drawn ? lineCoverage(x * iso.freq, dx * iso.freq, iso.width) : 0.0;
}

// Strokes across the vessel (lines of constant U), reaching in from the
// contour the further the darker the shading; each further layer sits
// between the strokes before it and needs a darker tone.
float hatchingCoverage(float u, float du, float v, float tone) {
    float total = 0.0;
    // Disabled, no layer: llvmpipe runs every layer whether or not it is used.
    int layers = hatching.enabled ? clamp(hatching.n, 1, 16) : 0;
    for (int k = 0; k < layers; ++k) {
        float threshold = float(k) / float(layers + 1);
        float reach = (tone - threshold) * hatching.l * hatchReachPerLength;
        if (reach <= 0.0 || v >= reach) continue;
        float x = u * hatching.f + hatching.o + float(k) / float(layers);
        // Strokes taper towards their inner end.
        float widthShare = hatching.w * (1.0 - v / reach);
        float dx = du * hatching.f;
        total = max(total, lineCoverage(x, dx, widthShare / max(dx, 1e-6)));
    }
    return total * clamp(hatchInkPerStrength * hatching.s, 0.0, 1.0);
}

// Arrow decals in (U, V): along U they repeat, pointing to growing U (from
// the root to the tips), and move along it with time; across the vessel the
// arrow's axis lies on the centre line.
// The screen derivatives of (U, V) come from outside any branch, and give
// the texture its filtering without the seams that fract would cause.
vec4 decalColor(float u, float v, vec2 uvDx, vec2 uvDy) {
    float period = max(decals.scale.y, 1e-4);
    float a = u / period;
    if (decals.animate) a -= time * decals.scale.z;
    float tx = fract(a) * decals.scale.x + decals.offset.x;
    float across = (decals.invertV ? 1.0 - v : v) + decals.offset.y;
    if (decals.clampV) across = clamp(across, 0.0, 1.0);
    if (tx < 0.0 || tx > 1.0 || across < 0.0 || across > 1.0) return vec4(0.0);
    vec2 scale = vec2(decals.scale.x / period, 0.5);
    return textureGrad(texDecal, vec2(tx, 0.5 + 0.5 * across), uvDx * scale, uvDy * scale);
}

void main() {
    ivec2 pixel = min(ivec2(gl_FragCoord.xy), screenSize - 1);
    vec4 position = texelFetch(texPositionVS, pixel, 0);
    vec4 normal = texelFetch(texNormalVS, pixel, 0);
    vec4 flood = texelFetch(texParamV, pixel, 0);

    // Next to a stair-stepped contour the march may start along the edge and
    // underestimate the half width; the neighbours' estimates steady it.
    float halfWidth = flood.y;
    for (int k = 0; k < 4; ++k) {
        ivec2 n = clamp(pixel + ivec2(k == 0 ? 1 : k == 1 ? -1 : 0, k == 2 ? 1 : k == 3 ? -1 : 0),
                        ivec2(0), screenSize - 1);
        halfWidth = max(halfWidth, texelFetch(texParamV, n, 0).y);
    }
    // A pixel that found no contour it may take lies on a grazing edge: V 0.
    float v = flood.w > 0.0 && halfWidth > 0.0 ? clamp(flood.x / halfWidth, 0.0, 1.0) : 0.0;
    float u = normal.w * u_scale;
    // Derivatives before any branch: they are undefined inside one.
    vec2 uvDx = dFdx(vec2(u, v)), uvDy = dFdy(vec2(u, v));
    float du = abs(uvDx.x) + abs(uvDy.x), dv = abs(uvDx.y) + abs(uvDy.y);
    // Contour lines of the polygon-offset variant are seeds of their own;
    // next to a contour band a soft fringe takes the edge off its stairs.
    float nearContour = flood.w > 0.0 ? fringeCoverage(flood.x) : 0.0;
    float lineContour = hasContours ? 0.4 * nearContour : nearContour;

    if (position.w < -0.5) {  // nothing drawn here
        outColor = vec4(mix(bgColor, contourColor, lineContour), 1.0);
        return;
    }

    vec3 n = normalize(normal.xyz);
    vec3 l = lightFrom(dirLight_direction_VS);
    float tone = 1.0 - max(dot(n, l), 0.0);
    // One colour-map and one decal lookup serve the band and the surface:
    // llvmpipe would run both sides' lookups. The band takes the arrow's
    // axis: a dash wherever an arrow passes.
    bool band = position.w < 0.5;
    vec3 mapped = colorMap(u);
    vec4 decal = decalColor(u, band ? (decals.invertV ? 1.0 : 0.0) : v, uvDx, uvDy);

    if (band) {  // the contour band
        vec3 c = scalar_field.onContour ? 0.7 * mapped : contourColor;
        if (decals.enabled && decals.onContour) c = mix(c, decal.rgb, decal.a);
        outColor = vec4(c, 1.0);
        return;
    }

    vec3 base = scalar_field.enabled ? mapped : mesh_base_color;
    vec3 c = use_blinn_phong ? blinnPhong(base, n, position.xyz, dirLight_direction_VS,
                                          ambientLight, mat_diffuse, mat_specular, mat_shiny)
                             : base;
    if (hatching.enabled && hatching.f > 0.0 && hatching.w > 0.0)
        c = mix(c, contourColor, hatchingCoverage(u, du, v, tone));
    float iso = max(isolineCoverage(u, du, isolines_u),
                    isolineCoverage(v * vIsolineScale, dv * vIsolineScale, isolines_v));
    c = mix(c, contourColor, 0.85 * iso);
    // Decals on top: the arrows stay readable over lines and strokes.
    if (decals.enabled) {
        float light = use_blinn_phong ? ambientLight + mat_diffuse * (1.0 - tone) : 1.0;
        c = mix(c, decal.rgb * light, decal.a);
    }
    c = mix(c, contourColor, lineContour);
    // Developer view: blends V in as grey.
    c = mix(c, vec3(v), clamp(debug_float, 0.0, 1.0));
    outColor = vec4(c, 1.0);
}
