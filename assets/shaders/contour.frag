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
    flat float seedLimit;
} fIn;

uniform bool contour_lines_only;

layout(location = 0) out vec4 outSeed;
layout(location = 1) out vec4 outPositionVS;
layout(location = 2) out vec4 outNormalVS;

void main() {
    float depth = -fIn.posVS.z;
    if (depth == 0.0) depth = 1e-20;  // 0 means "nothing drawn"
    bool isContour = contour_lines_only || fIn.kind == 1;
    vec3 n = normalize(fIn.normalVS);
    if (!isContour && !gl_FrontFacing) n = -n;  // seen from inside (no culling)
    outSeed = isContour ? vec4(gl_FragCoord.xy, fIn.seedLimit, depth) : vec4(-1.0, -1.0, 0.0, depth);
    outPositionVS = vec4(fIn.posVS, isContour ? 0.0 : 1.0);
    outNormalVS = vec4(n, fIn.params.x);
}
