#pragma once
// The U field's number of smoothing steps from its quotient (root curvature
// radius over mean edge length, times thirty): truncated toward zero, and
// -2147483648 (no step) for a quotient that is NaN, infinite or outside the
// range of int, where a plain conversion would be undefined.

int smoothingSteps(double quotient);

// The most smoothing steps ever run. Sound trees ask for a few hundred (the
// example tree 281, the generated 100,000-vertex tree about 580); 5000 stands
// for a root radius of about 170 mean edge lengths, far finer than any tree
// mesh. A root on a flat cap is read as a round end of its vessel (see
// u_field.cpp); a root on some other nearly flat spot would ask for millions
// of steps, one sparse product each: hours. The cap keeps that to seconds,
// long after the field has stopped changing much.
constexpr int kMaxSmoothingSteps = 5000;

// The steps actually run for a step count n: n, but at most
// kMaxSmoothingSteps (a negative n still runs none).
int cappedSmoothingSteps(int n);
