#version 430 core
// One jump-flooding step. Texel while flooding: nearest seed (x, y, pixel
// centre; -1 none), its depth limit, the pixel's own depth (0: nothing drawn).
// The last step (makeVtexture) writes instead: distance to the nearest
// contour in pixels, the vessel's half width along that direction in pixels
// (V = distance / half width, 0 on the contour, 1 on the centre line), the
// own depth, and 1 when a contour was found (0 otherwise); the half width
// is left 0 when no effect reads V (vWanted false).
uniform ivec2 screenSize;
uniform int stepSize;
uniform sampler2D texInput;
uniform bool depthAware;
uniform bool makeVtexture;
uniform bool vWanted;
// The pixels the flood covers, (x0, y0) to (x1, y1) exclusive: every texel
// outside holds no seed, so reads stay inside (the texels there may be stale).
uniform ivec4 floodBox;

layout(location = 0) out vec4 outValue;

#include "contour_fringe.glsl"

ivec2 boxLow() {
    return max(floodBox.xy, ivec2(0));
}
ivec2 boxHigh() {
    return min(floodBox.zw, screenSize) - 1;
}
bool inside(ivec2 q) {
    return all(greaterThanEqual(q, boxLow())) && all(lessThanEqual(q, boxHigh()));
}

// A seed in front of the pixel by more than its limit belongs to a vessel
// that passes in front of this one: it must not flood into it.
bool accepts(float ownDepth, vec4 candidate) {
    if (candidate.x < 0.0) return false;
    if (!depthAware || ownDepth == 0.0) return true;
    return ownDepth <= candidate.z;
}

// A seed ahead along u nearer to q than ours (at squared distance ours)?
bool nearerAhead(vec4 other, vec2 q, vec2 u, float ours) {
    vec2 toOther = other.xy - q;
    return other.x >= 0.0 && dot(toOther, u) > 0.0 && dot(toOther, toOther) < ours;
}

// From q on along u, away from our seed, have we crossed the centre line (or
// left the vessel)? Past it, some seed ahead is nearer than ours. The input
// is one step short of converged: each texel knows the nearest seed of its
// own parity class only, so the four texels around q are asked together.
// Contours stop the march, and so does a vessel in front, whose contour we
// may not take: a step can jump over a thin band into it.
bool pastCentre(vec2 q, vec2 u, vec2 seed, float ownDepth) {
    ivec2 qi = ivec2(floor(q));
    if (!inside(qi)) return true;
    // The texel under q is one of the four around it: four fetches serve.
    ivec2 corner = ivec2(floor(q - 0.5)), low = boxLow(), high = boxHigh();
    vec4 c00 = texelFetch(texInput, clamp(corner, low, high), 0);
    vec4 c10 = texelFetch(texInput, clamp(corner + ivec2(1, 0), low, high), 0);
    vec4 c01 = texelFetch(texInput, clamp(corner + ivec2(0, 1), low, high), 0);
    vec4 c11 = texelFetch(texInput, clamp(corner + ivec2(1, 1), low, high), 0);
    bvec2 far = greaterThan(qi, corner);
    vec4 c = far.y ? (far.x ? c11 : c01) : (far.x ? c10 : c00);
    if (c.w == 0.0 || c.x < 0.0 || !accepts(ownDepth, c)) return true;
    vec2 toSeed = c.xy - (vec2(qi) + 0.5);
    if (dot(toSeed, toSeed) < 0.5) return true;  // reached a contour
    vec2 toOurs = seed - q;
    float ours = dot(toOurs, toOurs);
    return nearerAhead(c00, q, u, ours) || nearerAhead(c10, q, u, ours) ||
           nearerAhead(c01, q, u, ours) || nearerAhead(c11, q, u, ours);
}

void main() {
    ivec2 p = ivec2(gl_FragCoord.xy);
    vec2 centre = gl_FragCoord.xy;
    vec4 self = texelFetch(texInput, p, 0);
    float own = self.w;

    vec4 best = vec4(-1.0, -1.0, 0.0, own);
    float bestDist2 = 1e30;
    // Neighbours outside the box are clamped onto its edge, where no seed
    // lies unless the screen's edge cuts the box: a real texel either way,
    // which is harmless, and the loop stays free of branches.
    for (int k = 0; k < 9; ++k) {
        ivec2 q = clamp(p + ivec2(k % 3 - 1, k / 3 - 1) * stepSize, boxLow(), boxHigh());
        vec4 c = k == 4 ? self : texelFetch(texInput, q, 0);
        vec2 d = c.xy - centre;
        float d2 = accepts(own, c) ? dot(d, d) : 1e30;
        if (d2 < bestDist2) {
            bestDist2 = d2;
            best = vec4(c.xyz, own);
        }
    }
    if (!makeVtexture) {
        outValue = best;
        return;
    }

    float dist = sqrt(bestDist2);
    // Background farther from every contour than the composition's fringe
    // reaches shows the background colour alone: nothing to write, and
    // unmarked in the stencil the composition leaves it alone.
    if (own == 0.0 && (best.x < 0.0 || dist >= fringeReach)) discard;
    if (best.x < 0.0) {
        outValue = vec4(0.0, 0.0, own, 0.0);
        return;
    }
    if (own == 0.0 || dist < 0.5) {
        outValue = vec4(dist, 0.0, own, 1.0);
        return;
    }
    // March away from the contour to the centre line: growing steps until
    // past it (or 4096 pixels out), then six halvings of the bracket. One
    // loop with one probe: llvmpipe pays for every copy of the code.
    vec2 u = (centre - best.xy) / dist;
    float lo = 0.0, hi = 1.0;
    bool growing = true;
    for (int halvings = vWanted ? 0 : 6; halvings < 6;) {
        growing = growing && hi < 4096.0;
        float t = growing ? hi : 0.5 * (lo + hi);
        bool past = pastCentre(centre + u * t, u, best.xy, own);
        if (growing) {
            growing = !past;
            if (!past) {
                lo = hi;
                hi *= 2.0;
            }
        } else {
            if (past)
                hi = t;
            else
                lo = t;
            ++halvings;
        }
    }
    outValue = vec4(dist, vWanted ? dist + 0.5 * (lo + hi) : 0.0, own, 1.0);
}
