// The soft fringe beside a contour: how much of the contour's colour a pixel
// takes at this flood distance (pixels) from the nearest contour pixel. None
// from fringeReach out, so the flood leaves farther background alone.
const float fringeReach = 1.5;

float fringeCoverage(float dist) {
    return 1.0 - smoothstep(0.5, fringeReach, dist);
}
