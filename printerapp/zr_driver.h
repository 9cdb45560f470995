// The one driver of the Printer Application, "korvane_zr": the ZR as it is
// (borderless sizes, resolutions, vendor options, supplies) with the raster
// callbacks of zr_job.h.
#pragma once

#include <pappl/pappl.h>

extern pappl_pr_driver_t kZrDrivers[];
constexpr int kZrDriverCount = 1;

bool ZrDriverCallback(pappl_system_t* system, const char* driverName, const char* deviceUri, const char* deviceId,
    pappl_pr_driver_data_t* data, ipp_t** attrs, void* context);

// The driver for a device found on the bus: ours for a ZR on korvane-zr://.
const char* ZrAutoAdd(const char* deviceInfo, const char* deviceUri, const char* deviceId, void* context);

// PDF documents: each page rendered by poppler's pdftoppm and printed like
// an image, filling the sheet.
bool ZrPrintPdf(pappl_job_t* job, pappl_device_t* device, void* context);
