#pragma once
// Runs one scenario of the render_base_fatal program (a process with its own
// GL context) and hands back what it printed and how it ended.

#include "child_process.h"

inline ChildResult runFatalScenario(const std::vector<std::string>& args) {
    return runProgram(RENDER_BASE_FATAL, args, "", 60.0);
}
