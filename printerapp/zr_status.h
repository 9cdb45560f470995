// The printer's answers as PAPPL printer state: printer-state-reasons from a
// status through the backend's table (zr_backend::ErrorReason), the loaded
// media set as the one supply (marker-*) and as media-ready.
#pragma once

#include "printer_state.h"

#include <pappl/pappl.h>

#include <string>

// The reasons this program sets and clears; PAPPL keeps the rest.
constexpr pappl_preason_t kZrReasons = PAPPL_PREASON_OTHER | PAPPL_PREASON_DOOR_OPEN | PAPPL_PREASON_MEDIA_EMPTY
    | PAPPL_PREASON_MARKER_SUPPLY_EMPTY | PAPPL_PREASON_MEDIA_JAM | PAPPL_PREASON_MEDIA_NEEDED
    | PAPPL_PREASON_MARKER_SUPPLY_LOW | PAPPL_PREASON_OFFLINE;

// The PAPPL reason bit of a printer-state-reasons keyword ("media-empty-error",
// "marker-supply-low-report"); an error without a bit of its own is "other",
// anything else none.
pappl_preason_t ReasonBit(const std::string& keyword);

// The reason bit of a printer status (none for a printer at work).
pappl_preason_t StatusReason(long status);

// The PWG size name of the media set the printer reports, empty if unknown.
const char* ReadyMediaName(int mediaCode);

// Publishes the media set: one ink-ribbon supply named as the backend names
// the queue's marker, its level the share of a full set left; media-ready the
// set's size; marker-supply-low below the backend's threshold.
void PublishMedia(pappl_printer_t* printer, const zr_backend::MediaLevel& level);
