#include "platform/fatal.h"

#include <cstdlib>
#include <iostream>

#include "platform/console.h"

void fatalError(const std::string& message) {
    std::cout << "FATAL ERROR: " << message << std::endl;
    consolePause();
    std::exit(-1);
}

void assertionFailed(const std::string& message) {
    std::cout << "FATAL ERROR: "
              << "Assertion failed: " << message << std::endl;
    consolePause();
    std::exit(-1);
}
