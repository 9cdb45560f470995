// Control files in /tmp through which other programs steer a printer's
// monitor thread: the status monitor's watch file and total-count request,
// and the print backend's pause file (names in shared_files.h). Only
// their presence counts.
#pragma once

#include "thdata.h"

#include <string>

// Looks up the record's control files in /tmp, updates its monitor, printing
// and refresh flags, deletes a total-count request, and answers the new
// fileFlags value: 0, 1 (watch file) or 3 (watch file and count request).
int fileCheck(thdata* record);
