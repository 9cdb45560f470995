// The program refuses to run twice: it counts the processes of the same
// (real) user whose command line holds its install path, as the process
// list shows them.
#pragma once

#include <cstdio>

// Where the package installs the program; the check looks for this path, not
// for the path this copy was started by.
extern const char kInstallPath[];

// Reads `stream` in pieces of at most 254 characters, echoes each piece to
// `echo` (when not null) and counts the pieces that do not contain "grep".
int countForeignPieces(std::FILE *stream, std::FILE *echo);

// True when other copies are running (more than two counted pieces). The
// one place where the status monitor runs a shell command.
bool checkDoubleStartApp();
