// The ZR driver's raster callbacks: each page goes through the filter's
// device entry and photo buffer (the same configuration, page loop and
// per-print records as korvane_zr_filter), and each record goes to the
// printer through the backend's gate: a sheet waits for media that prints
// it, a print for a printer without error, and the job completes only once
// every print has come out.
#pragma once

#include <pappl/pappl.h>

bool ZrStartJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);
bool ZrStartPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device, unsigned page);
bool ZrWriteLine(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device, unsigned y,
    const unsigned char* line);
bool ZrEndPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device, unsigned page);
bool ZrEndJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);

// A job's document already in the printer's own command records: the
// records go to the printer unchanged, through the same gate.
constexpr const char* kZrStreamFormat = "application/vnd.korvane-zr";
bool ZrPrintStream(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);

// A document whose pages reach the callbacks as raster jobs of their own
// (PAPPL's image code starts and ends a job per picture) is printed as one
// job between these two: the pages share sheets and one confirmation.
bool ZrStartDocument(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);
bool ZrEndDocument(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);

// Reads status and media while no job prints: printer-state-reasons,
// supplies and media-ready.
bool ZrStatus(pappl_printer_t* printer);
