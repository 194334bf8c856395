// Smooth silhouettes: inside one triangle, where the interpolated vertex
// normal turns edge-on to the eye. Included by the contour geometry stages.

uniform mat4 matP;
uniform bool orthoProjection;

in VertexData {
    vec3 posVS;
    vec3 normalVS;
    vec2 params;
    float facing;  // positive on front-facing parts, negative on back-facing ones
} gIn[];

// Direction from a view-space point towards the eye.
vec3 toEye(vec3 p) {
    return orthoProjection ? vec3(0.0, 0.0, 1.0) : normalize(-p);
}

struct SilhouettePoint {
    vec3 pos;
    vec3 normal;
    vec2 params;
};

// Where the facing crosses zero on the edge (lo, hi), interpolated from the
// lower index so that both triangles of an edge agree.
SilhouettePoint crossing(int lo, int hi) {
    float t = gIn[lo].facing / (gIn[lo].facing - gIn[hi].facing);
    SilhouettePoint s;
    s.pos = mix(gIn[lo].posVS, gIn[hi].posVS, t);
    s.normal = normalize(mix(gIn[lo].normalVS, gIn[hi].normalVS, t));
    s.params = mix(gIn[lo].params, gIn[hi].params, t);
    return s;
}

// The segment where the facing sign changes, when the triangle holds one:
// the first two crossing edges in the order 01, 12, 20. A corner exactly
// edge-on counts as front-facing, so a segment always has two distinct
// crossings. Written without arrays, which llvmpipe keeps in memory.
bool silhouetteSegment(out SilhouettePoint a, out SilhouettePoint b) {
    bool s0 = gIn[0].facing >= 0.0, s1 = gIn[1].facing >= 0.0, s2 = gIn[2].facing >= 0.0;
    SilhouettePoint c01 = crossing(0, 1), c12 = crossing(1, 2), c02 = crossing(0, 2);
    a = s0 != s1 ? c01 : c12;
    b = s0 != s1 && s1 != s2 ? c12 : c02;
    return s0 != s1 || s1 != s2;
}
