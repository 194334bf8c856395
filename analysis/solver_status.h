#pragma once
// The console line that names a failed sparse solve; shared by skeleton
// contraction (which survives it) and the U field (for which it is fatal).

#include <Eigen/Core>

// Prints "SOLVER: ..." for every status but Success, nothing for Success.
void printSolverStatus(Eigen::ComputationInfo info);
