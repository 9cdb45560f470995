// What the filter learns from outside its job options: the printer firmware
// version that the model tables are checked against, and what the print
// backend announced about the job in its job file in /tmp.
#pragma once

#include "shared_files.h"

#include <string>

// 3 for a null pointer; otherwise stores the version this filter works with
// (1.53) and answers 0. The device is not consulted.
int _GetFirmwVersion(long device, double* version);

// Looks for the first line of the job's file that contains `key` and copies
// its value (the text from the key on, with every character of the key, every
// double quote and every line feed removed) into `out` when it is shorter than
// outSize. Always 0; `out` stays untouched when nothing fits or matches.
// Only the file's first 4 KiB count, and only a regular file that the backend
// (root) or our own user made; a cancelled job stops reading.
int _GetValuePrInfoFile(const char* key, const char* jobId, char* out, int outSize);

// The job file's name (JobFilePath) and what a job id may be come from the
// contract between the programs.

// Whether the backend's job file is there (by the same rules as the lookup)
// and complete, that is ends with a line feed.
enum class JobFileState { Absent, Partial, Complete };
JobFileState JobFileAnnounced(const char* jobId);
