// The filter's entry logic: arguments, options and PPD, the wait for the print
// backend's job file, configuration of the device entry and the page loop that
// groups pictures into prints.
#pragma once

#include <cups/cups.h>

#include "print_steps.h"

void CancelJob(int signal);

// Waits (polling every 50 ms, up to 120 s) for our backend's job file, not
// at all behind another backend; always 0.
int PrinterStatusCheck(char* jobId, int optionCount, cups_option_t* options);

// The whole program; answers the exit status.
int RunFilter(int argc, char** argv);
