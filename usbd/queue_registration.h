// Identifying a ZR printer and registering its CUPS queue.
#pragma once

#include "shared_files.h"
#include "thdata.h"
#include "usb_identity.h"

#include <cups/cups.h>

#include <string>
#include <vector>

// The access's work: serial number, identification, queue, information file.
void getPrinterInfo(thdata* record);

// cupsEnumDests callback: sets the record's bRegistered when `dest` is a ZR
// queue for exactly its serial number. Always 1 (go on).
int enum_cb(void* record, unsigned flags, cups_dest_t* dest);

// The number of a "KORVANE-ZR-<n>" name, 0 for any other name.
int getRNumber(const char* name);

// Number for a new queue from the names of the ZR queues serving other
// printers: the rule's choice, moved on past any name already taken.
int ChooseQueueNumber(const std::vector<std::string>& collected);

// lpadmin's arguments for the base queue (number 0) or a numbered queue.
std::vector<std::string> LpadminArguments(int number, const char* serial);
