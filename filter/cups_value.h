// Where every job setting comes from: the job's own option first, else the
// default the queue's PPD declares for it.
#pragma once

#include <cups/cups.h>

#include "ppd_reader.h"

// The job option `name`; for "PageSize" also the job option "media"; else the
// PPD default. Null when none of them is there. A PPD value is only valid
// until the next lookup on the same handle.
const char* _GetCupsValue(const char* name, int optionCount, cups_option_t* options, ppdfile_s* ppd);
