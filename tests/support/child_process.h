#pragma once
// Runs a piece of code in a forked child and collects what it wrote to
// standard output and how it ended: the way to test fatal paths, whose
// message goes to standard output and which end the process.

#include <functional>
#include <string>
#include <vector>

struct ChildResult {
    bool exited = false;  // ended through exit, not a signal
    int exitStatus = -1;  // 0..255 when exited
    std::string out;      // everything written to standard output
    std::string err;      // everything written to standard error
};

// The child runs body and then exits with status 0. Standard input is
// /dev/null so that the console pause never waits.
ChildResult runInChild(const std::function<void()>& body);

// Runs a program with arguments (no shell), in the given working directory
// (empty: the current one), with standard input from /dev/null; gives up and
// kills it after timeoutSeconds.
ChildResult runProgram(const std::string& program, const std::vector<std::string>& args,
                       const std::string& workingDir = "", double timeoutSeconds = 60.0);
