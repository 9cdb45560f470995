// What the printer's answers mean to CUPS: the standard printer-state-reasons
// keyword of each status, the instruction a user reads for it, which sheets
// the loaded media can print, and the media levels as marker-* attributes.
#pragma once

#include <string>
#include <vector>

namespace zr_backend {

// Statuses 1000 and up stop the printer until somebody acts.
bool IsErrorStatus(long status);

// The IPP keyword (with its "-error" suffix) for an error status; empty for
// any other status.
std::string ErrorReason(long status);

// What the user must do, as the status monitor's English catalogue says it,
// on one line; empty when there is nothing to do.
std::string Instruction(long status);

// Whether `mediaCode` names one of the four media sets.
bool IsKnownMedia(int mediaCode);
// Whether paper and ribbon of `mediaCode` (the printer's "INFO MEDIA" code:
// 200 5x3.5, 210 5x7, 301 6x4, 310 6x8) can print a sheet of `sheetCode`
// (the job's MULTICUT number). The width must match and the sheet must fit
// the media's length.
bool MediaTakesSheet(int mediaCode, int sheetCode);
// The media set that prints `sheetCode` best ("6x8 ribbon and paper"); empty
// for a sheet code no media prints.
std::string MediaForSheet(int sheetCode);
// Whether the loaded media can take two pictures on one sheet, which the
// job file's MEDIA_SIZE value allows the filter to do.
bool MediaAllowsTwoUp(int mediaCode);

// The media set as the printer reports it; -1 where it did not say.
struct MediaLevel {
    int code = -1;
    long initial = -1;
    long remain = -1;
    // Prints left as a percentage of a full set, or -1 when unknown.
    int Percent() const;
};

// Below this share of a full set left, the media is reported as low.
constexpr int kLowPercent = 10;

// The marker's name for a media set ("6x8 ribbon and paper"); empty for a
// code that names no set.
std::string MarkerName(int mediaCode);

// The ATTR: lines that publish the media set as a CUPS marker (empty when
// the printer named no media).
std::vector<std::string> MarkerLines(const MediaLevel& level);

}  // namespace zr_backend
