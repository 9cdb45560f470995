// The two steps every front end of the print path takes with a device entry:
// the filter and the Printer Application both configure an entry from a
// job's options and flush prints through it, so their streams are the same.
#pragma once

#include <cups/cups.h>

#include <csignal>

#include "device_entry.h"
#include "ppd_reader.h"

// Set when the job is cancelled (the filter's SIGTERM handler sets it);
// the page loop and the job-file reads stop once it is.
extern volatile sig_atomic_t Canceled;

// Reads the job options into a fresh entry, once, in the order the stream
// needs (the resolution decides the media record's dot counts).
void ConfigureEntry(DeviceEntry& entry, int optionCount, cups_option_t* options, ppdfile_s* ppd);

// Writes one print: the per-print setting records, then the sheet.
void FlushPrint(DeviceEntry& entry, int pictureCount);
