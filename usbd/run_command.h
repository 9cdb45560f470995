// The one place where the daemon starts another program (lpadmin). Arguments
// go straight to execvp, never through a shell, so no text that came from a
// device can be read as shell syntax.
#pragma once

#include <string>
#include <vector>

// Runs argv[0] found on PATH with the given arguments; the child's output is
// discarded. Answers the exit status, or -1 if it could not run or was killed.
int RunCommand(const std::vector<std::string>& argv);
