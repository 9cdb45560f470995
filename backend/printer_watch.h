// Follows a claimed printer through one job and tells CUPS what it sees:
// STATE: lines with the standard reasons while an error lasts (and their
// removal once it clears), INFO: lines with what to do, ATTR: lines with the
// media left, PAGE: lines as prints come out. Every wait polls the printer
// and gives way to a cancelled job within a tenth of a second.
#pragma once

#include "printer_state.h"

#include <libusb.h>

#include <csignal>
#include <cstdio>
#include <string>

namespace zr_backend {

enum class Wait { Ready, Cancelled, Gone, Stalled };

class PrinterWatch {
public:
    PrinterWatch(libusb_device_handle* handle, FILE* log, const volatile std::sig_atomic_t* cancel,
        int pollMillis = 2000);

    // Waits while the printer reports an error.
    Wait UntilReady();
    // Waits until the loaded media can print a sheet of `sheetCode`, and the
    // printer is ready.
    Wait UntilMediaTakes(int sheetCode);
    // Reads the media set and publishes it as the printer's marker (again
    // only when it changed).
    MediaLevel ReportMedia();
    // Follows the printer until `prints` prints sent since ReportMedia have
    // come out, one PAGE: line each. `printed` counts them meanwhile.
    Wait UntilPrinted(int prints, int* printed);

    // The loaded media code as the job file announces it ("" when unknown).
    std::string MediaText() const;

private:
    MediaLevel ReadMedia();
    // One look at the status, reported: false when the printer has gone.
    bool Look(long* status);
    void SetStatusReason(long status);
    void SetMediaNeeded(bool needed, int sheetCode);
    // Sleeps; false as soon as the job is cancelled.
    bool Pause(int millis);
    void Say(const std::string& line);

    libusb_device_handle* handle;
    FILE* log;
    const volatile std::sig_atomic_t* cancel;
    int pollMillis;
    long shownStatus = 0;       // the status whose reason is raised (0: none)
    bool mediaNeeded = false;
    MediaLevel media;           // as read by ReportMedia
    bool reported = false;
};

}  // namespace zr_backend
