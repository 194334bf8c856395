#pragma once
// Fatal errors: the one way the program ends on an unrecoverable fault.
// Writes "FATAL ERROR: " + message + a flushing line end to standard output,
// runs the console pause, and exits with status -1 (255 to the shell).

#include <string>

[[noreturn]] void fatalError(const std::string& message);

// The same, with "Assertion failed: " between the prefix and the message.
[[noreturn]] void assertionFailed(const std::string& message);

// Checks a condition that the caller guarantees; a false one is fatal.
#define MORVIK_ASSERT(cond)                  \
    do {                                     \
        if (!(cond)) assertionFailed(#cond); \
    } while (0)
