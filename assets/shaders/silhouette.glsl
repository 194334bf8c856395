// Smooth silhouettes: inside one triangle, where the interpolated vertex
// normal turns edge-on to the eye. Included by the contour geometry stages.

uniform mat4 matP;
uniform bool orthoProjection;

in VertexData {
    vec3 posVS;
    vec3 normalVS;
    vec2 params;
} gIn[];

// Direction from a view-space point towards the eye.
vec3 toEye(vec3 p) {
    return orthoProjection ? vec3(0.0, 0.0, 1.0) : normalize(-p);
}

// Positive on front-facing parts, negative on back-facing ones.
float facing(int i) {
    return dot(gIn[i].normalVS, toEye(gIn[i].posVS));
}

struct SilhouettePoint {
    vec3 pos;
    vec3 normal;
    vec2 params;
};

// The segment where the facing sign changes, when the triangle holds one.
// A corner exactly edge-on counts as front-facing, so a segment always has
// two distinct edge crossings.
bool silhouetteSegment(out SilhouettePoint a, out SilhouettePoint b) {
    float f[3] = float[3](facing(0), facing(1), facing(2));
    SilhouettePoint found[2];
    int count = 0;
    for (int i = 0; i < 3; ++i) {
        int j = (i + 1) % 3;
        bool fi = f[i] >= 0.0, fj = f[j] >= 0.0;
        if (fi == fj) continue;
        // Interpolate from the lower index so that both triangles of an edge agree.
        int lo = min(i, j), hi = max(i, j);
        float t = f[lo] / (f[lo] - f[hi]);
        found[count].pos = mix(gIn[lo].posVS, gIn[hi].posVS, t);
        found[count].normal = normalize(mix(gIn[lo].normalVS, gIn[hi].normalVS, t));
        found[count].params = mix(gIn[lo].params, gIn[hi].params, t);
        ++count;
    }
    a = found[0];
    b = found[1];
    return count == 2;
}
