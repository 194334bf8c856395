#pragma once
// The U field's number of smoothing steps from its quotient (root curvature
// radius over mean edge length, times thirty): truncated toward zero, and
// -2147483648 (no step) for a quotient that is NaN, infinite or outside the
// range of int, where a plain conversion would be undefined.

int smoothingSteps(double quotient);
