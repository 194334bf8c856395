#pragma once
// Console helpers.

// Waits for Enter, so that a fatal message stays readable in a console that
// would close with the process. Only when standard input is a terminal:
// scripts, tests and CI never wait.
void consolePause();
