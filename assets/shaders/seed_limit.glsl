// Surfaces deeper than this limit lie behind the vessel that owns a contour
// seed at the given depth (-z): the depth-aware flood keeps the seed off
// them. The margin stays below a vessel's radius, yet covers the few pixels
// of steep depth on the grazing facets next to a silhouette.
float seedDepthLimit(float depth, float contourSize, float pixelSize) {
    return depth + max(1.5 * contourSize, 4.0 * pixelSize) + 0.001 * abs(depth);
}
