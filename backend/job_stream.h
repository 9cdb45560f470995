// Reading the job's command stream record by record, so that each record
// goes to the printer as one write, as the daemon sends its own records
// (the printer then sees the same transfers from both).
#pragma once

#include "record_frame.h"

#include <csignal>
#include <cstddef>
#include <functional>

// Sends `length` bytes to the printer; 0 on success, else the transport's code.
using RecordSink = std::function<int(const unsigned char* data, size_t length)>;

struct StreamResult {
    int sinkResult = 0;    // first non-zero sink result, 0 if none
    bool readFailed = false;
    bool cancelled = false;
    size_t bytes = 0;      // bytes handed to the sink
    size_t records = 0;    // sink calls
    bool framed = true;    // false when the input stopped being command records
};

// Passes every record read from `fd` to `sink`, unchanged and in order: each
// well-formed record (ESC 'P', 8 length digits or 8 spaces) in one call.
// Input that is not a record is not passed on: the stream stops there with
// `framed` false (a short tail at the end is such input too). Stops early
// when the sink fails, reading fails, or `*cancel` is set.
StreamResult SendStream(int fd, const RecordSink& sink, const volatile std::sig_atomic_t* cancel);

// RecordIs (the record's name and parameter are those given) comes with the
// record frame.
using zr_record::RecordIs;
// The record's data read as a decimal number, or -1.
long RecordNumber(const unsigned char* record, size_t length);
