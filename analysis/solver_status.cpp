#include "analysis/solver_status.h"

#include <cstdio>

void printSolverStatus(Eigen::ComputationInfo info) {
    switch (info) {
        case Eigen::Success:
            return;
        case Eigen::NumericalIssue:
            std::printf("SOLVER: numerical issue!\n");
            return;
        case Eigen::NoConvergence:
            std::printf("SOLVER: no convergence!\n");
            return;
        case Eigen::InvalidInput:
            std::printf("SOLVER: invalid input!\n");
            return;
    }
    std::printf("SOLVER: unknown error!\n");
}
