// Anti-aliased coverage of the lines where x is a whole number, widthPx
// pixels wide; perPixel is how much x changes from one pixel to the next
// (taken outside any branch, where derivatives are defined). Lines whose
// gaps shrink below a few pixels fade out rather than turn into moire.
float lineCoverage(float x, float perPixel, float widthPx) {
    perPixel = max(perPixel, 1e-6);
    float distPx = abs(fract(x + 0.5) - 0.5) / perPixel;
    float halfWidth = 0.5 * widthPx;
    float coverage = 1.0 - smoothstep(halfWidth - 0.5, halfWidth + 0.5, distPx);
    float spacingPx = 1.0 / perPixel;
    return coverage * smoothstep(1.5, 3.0, spacingPx - widthPx);
}
