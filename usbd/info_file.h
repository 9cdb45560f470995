// The printer information file /tmp/ZR_<serial>.log: what the daemon knows
// about one printer, for the status monitor to read.
#pragma once

#include "shared_files.h"
#include "thdata.h"

#include <libusb.h>

#include <functional>
#include <string>

// Queries the printer (interface claimed) and rewrites its file.
void WriteFile(libusb_device_handle* handle, thdata* record);
// Writes the offline form for a printer that has left the bus.
void WriteFile(const char* serial);

bool isSELinuxEnabled();
bool existFile(const char* path);

// One counter read: true and the reading, or false when the query failed.
using CounterRead = std::function<bool(bool slow, int* reading)>;
// Applies the counter rules for one file write; updates the record's
// totalCount, bMonitorCountRead and bCountRefresh. Answers the count to
// publish, or -1 for an empty TOTAL_COUNT.
int ChooseTotalCount(thdata* record, long status, bool printEnded, const CounterRead& read);

// Replaces every character that could break the file's line form (control
// characters, '"', bytes outside ASCII) so values stay on their own line.
std::string InfoValue(const char* text);

// Replaces `path` with a new file of mode 0644 holding `text` (labelled for
// CUPS where SELinux enforces); whatever stood under the name is replaced,
// never followed or written. False when nothing was replaced.
bool WriteInfoText(const char* path, const std::string& text);
