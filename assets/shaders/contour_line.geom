#version 430 core
// The silhouette segment of a triangle as a line: the contour of the
// polygon-offset variant, drawn into the seed image only.
layout(triangles) in;
layout(line_strip, max_vertices = 2) out;

#include "silhouette.glsl"

out FragData {
    vec3 posVS;
    vec3 normalVS;
    vec2 params;
    flat int kind;
} gOut;

void emit(SilhouettePoint s) {
    gOut.posVS = s.pos;
    gOut.normalVS = s.normal;
    gOut.params = s.params;
    gOut.kind = 1;
    gl_Position = matP * vec4(s.pos, 1.0);
    EmitVertex();
}

void main() {
    SilhouettePoint a, b;
    if (!silhouetteSegment(a, b)) return;
    emit(a);
    emit(b);
    EndPrimitive();
}
