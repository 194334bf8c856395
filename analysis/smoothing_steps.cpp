#include "analysis/smoothing_steps.h"

#include <algorithm>
#include <climits>
#include <cmath>

int smoothingSteps(double quotient) {
    if (std::isfinite(quotient) && quotient < 2147483648.0 && quotient > -2147483649.0)
        return static_cast<int>(quotient);
    return INT_MIN;
}

int cappedSmoothingSteps(int n) {
    return std::min(n, kMaxSmoothingSteps);
}
