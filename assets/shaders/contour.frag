#version 430 core
// G-buffer output. Seed image texel: nearest seed (x, y in pixels, -1 when
// none), that seed's depth limit, and the pixel's own depth (-z, 0 where
// nothing was drawn). Position w: 1 surface, 0 contour, -1 (clear) nothing.
// Normal w: U.
in FragData {
    vec3 posVS;
    vec3 normalVS;
    vec2 params;
    flat int kind;
} fIn;

uniform bool contour_lines_only;
uniform bool orthoProjection;
uniform float contourSize;
uniform bool doContour;

layout(location = 0) out vec4 outSeed;
layout(location = 1) out vec4 outPositionVS;
layout(location = 2) out vec4 outNormalVS;

#include "seed_limit.glsl"

void main() {
    float depth = -fIn.posVS.z;
    if (depth == 0.0) depth = 1e-20;  // 0 means "nothing drawn"
    vec3 n = normalize(fIn.normalVS);
    if (fIn.kind == 0 && !gl_FrontFacing) n = -n;  // seen from inside (no culling)

    vec3 toEye = orthoProjection ? vec3(0.0, 0.0, 1.0) : normalize(-fIn.posVS);
    float facing = dot(n, toEye);
    // Facets bulge past the smooth silhouette, under or beside the band:
    // there they are contour, or the band would look uneven.
    bool beyond = fIn.kind == 0 && facing < 0.0;
    bool isContour = contour_lines_only || fIn.kind == 1 || (doContour && beyond);

    // Sideways, a pixel spans this much of view space (depth may change fast).
    float pixelSize = max(length(dFdx(fIn.posVS.xy)), length(dFdy(fIn.posVS.xy)));
    // A band thinner than a pixel and a half leaves gaps, or no seed at all:
    // then the surface's own rim, within a pixel of the smooth silhouette,
    // seeds the flood instead.
    bool rim = contourSize < 1.5 * pixelSize && facing < 1.5 * fwidth(facing);

    if (isContour || rim)
        outSeed = vec4(gl_FragCoord.xy, seedDepthLimit(depth, contourSize, pixelSize), depth);
    else
        outSeed = vec4(-1.0, -1.0, 0.0, depth);
    outPositionVS = vec4(fIn.posVS, isContour ? 0.0 : 1.0);
    outNormalVS = vec4(n, fIn.params.x);
}
