// The serial number comes from the device and is not trusted: it names files
// in /tmp, goes into the queue's device URI and onto command lines.
#pragma once

// True when `serial` may name files and queues: 1 to 63 characters, only
// letters, digits, '-', '_' and '.', not starting with '.'.
bool IsAcceptableSerial(const char* serial);
