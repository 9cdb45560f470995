// The one place where the daemon starts other programs (lpadmin, chcon,
// getenforce). Arguments go straight to execvp, never through a shell, so no
// text that came from a device can be read as shell syntax.
#pragma once

#include <string>
#include <vector>

// Runs argv[0] found on PATH with the given arguments; the child's output is
// discarded. Answers the exit status, or -1 if it could not run or was killed.
int RunCommand(const std::vector<std::string>& argv);

// Runs the program and captures the first line of its standard output
// (at most capacity - 1 characters). False when it could not run or printed
// no line.
bool RunCommandFirstLine(const std::vector<std::string>& argv, char* line, int capacity);
