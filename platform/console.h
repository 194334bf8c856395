#pragma once
// Console helpers.

// Makes standard output line-buffered even when it is a pipe or a file, so
// that every console line reaches a reader (a log, a terminal behind a pipe)
// as soon as it is written, whether printf or std::cout wrote it (std::cout
// goes through the same C stream). Called first thing in main.
void flushConsoleLines();

// Waits for Enter, so that a fatal message stays readable in a console that
// would close with the process. Only when standard input is a terminal:
// scripts, tests and CI never wait.
void consolePause();
