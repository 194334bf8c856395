#include "platform/console.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

void flushConsoleLines() {
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
}

void consolePause() {
    if (!isatty(STDIN_FILENO)) return;
    std::cout << "Press Enter to continue..." << std::flush;
    int c;
    do {
        c = std::getchar();
    } while (c != '\n' && c != EOF);
}
