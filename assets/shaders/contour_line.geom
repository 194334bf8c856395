#version 430 core
// The silhouette segment of a triangle as a line: the contour of the
// polygon-offset variant, drawn into the seed image only.
layout(triangles) in;
layout(line_strip, max_vertices = 2) out;

#include "silhouette.glsl"

uniform float contourSize;
uniform bool doContour;

out FragData {
    vec3 posVS;
    vec3 normalVS;
    vec2 params;
    flat int kind;
    flat float seedLimit;
} gOut;

void emit(SilhouettePoint s, float seedLimit) {
    gOut.posVS = s.pos;
    gOut.normalVS = s.normal;
    gOut.params = s.params;
    gOut.kind = 1;
    gOut.seedLimit = seedLimit;
    gl_Position = matP * vec4(s.pos, 1.0);
    EmitVertex();
}

void main() {
    SilhouettePoint a, b;
    if (!silhouetteSegment(a, b)) return;
    float depth = -0.5 * (a.pos.z + b.pos.z);
    // Never set for this program (0), but kept as the band's rule.
    float limit = depth + 1.5 * contourSize + 0.01 * abs(depth);
    emit(a, limit);
    emit(b, limit);
    EndPrimitive();
}
