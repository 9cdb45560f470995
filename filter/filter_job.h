// The filter's entry logic: arguments, options and PPD, the wait for the print
// backend's job file, configuration of the device entry and the page loop that
// groups pictures into prints.
#pragma once

#include <cups/cups.h>

#include <csignal>

#include "device_entry.h"
#include "ppd_reader.h"

// Set by CancelJob on SIGTERM, polled by the page loop.
extern volatile sig_atomic_t Canceled;

void CancelJob(int signal);

// Waits (1 s apart, 120 tests) for the backend's job file; always 0.
int PrinterStatusCheck(char* jobId, int optionCount, cups_option_t* options);

// Reads the job options into a fresh entry, once, in the order the stream
// needs (the resolution decides the media record's dot counts).
void ConfigureEntry(DeviceEntry& entry, int optionCount, cups_option_t* options, ppdfile_s* ppd);

// Writes one print: the per-print setting records, then the sheet.
void FlushPrint(DeviceEntry& entry, int pictureCount);

// The whole program; answers the exit status.
int RunFilter(int argc, char** argv);
