#version 430 core
// The surface triangle as it is, and, where a silhouette crosses it, a band
// of even width (contourSize, view units) laid outward from the silhouette.
// The band is the contour and the seed of the jump flood.
layout(triangles) in;
layout(triangle_strip, max_vertices = 7) out;

#include "silhouette.glsl"

uniform float contourSize;
uniform bool doContour;

out FragData {
    vec3 posVS;
    vec3 normalVS;
    vec2 params;
    flat int kind;  // 0 surface, 1 contour
} gOut;

void emit(vec3 pos, vec3 normal, vec2 params, int kind) {
    gOut.posVS = pos;
    gOut.normalVS = normal;
    gOut.params = params;
    gOut.kind = kind;
    gl_Position = matP * vec4(pos, 1.0);
    EmitVertex();
}

// The outward direction in the plane across the view ray.
vec3 outward(SilhouettePoint s) {
    vec3 e = toEye(s.pos);
    vec3 m = s.normal - dot(s.normal, e) * e;
    return length(m) > 1e-8 ? normalize(m) : s.normal;
}

void main() {
    for (int i = 0; i < 3; ++i) emit(gIn[i].posVS, gIn[i].normalVS, gIn[i].params, 0);
    EndPrimitive();

    SilhouettePoint a, b;
    if (!doContour || contourSize <= 0.0 || !silhouetteSegment(a, b)) return;

    vec3 ma = outward(a), mb = outward(b);
    // Slightly towards the eye: the faceted surface bulges past the smooth
    // silhouette and would cut into the band's inner edge.
    vec3 a0 = a.pos + 0.5 * contourSize * toEye(a.pos);
    vec3 b0 = b.pos + 0.5 * contourSize * toEye(b.pos);
    vec3 a1 = a0 + contourSize * ma;
    vec3 b1 = b0 + contourSize * mb;

    vec4 ca = matP * vec4(a0, 1.0), cb = matP * vec4(b0, 1.0), ca1 = matP * vec4(a1, 1.0);
    if (ca.w <= 0.0 || cb.w <= 0.0 || ca1.w <= 0.0) return;
    // Counter-clockwise on screen, or face culling would drop the band.
    vec2 sa = ca.xy / ca.w, sb = cb.xy / cb.w, sa1 = ca1.xy / ca1.w;
    vec2 e1 = sb - sa, e2 = sa1 - sa;
    // One set of emits, the pair swapped: llvmpipe runs both sides of a branch.
    bool swap = e1.x * e2.y - e1.y * e2.x < 0.0;
    emit(swap ? b0 : a0, swap ? mb : ma, swap ? b.params : a.params, 1);
    emit(swap ? a0 : b0, swap ? ma : mb, swap ? a.params : b.params, 1);
    emit(swap ? b1 : a1, swap ? mb : ma, swap ? b.params : a.params, 1);
    emit(swap ? a1 : b1, swap ? ma : mb, swap ? a.params : b.params, 1);
    EndPrimitive();
}
