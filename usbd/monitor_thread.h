// Each attached printer's monitor thread: once a second it decides from the
// control files whether to talk to its printer, and if so runs one USB access.
#pragma once

#include "thdata.h"

// Thread body; `record` is the printer's thdata. Ends after the printer left.
void* thread_function(void* record);
