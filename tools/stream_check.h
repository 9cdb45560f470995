// Reading and judging a ZR command stream: record framing, the order of a job
// stream and the plane bitmaps. Used by the zr_inspect program and by tests
// that need to look at individual records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct StreamRecord {
    size_t offset = 0;          // of the ESC byte in the stream
    std::string name;           // without padding
    std::string parameter;      // without padding; empty when all spaces
    bool hasData = false;       // the length field holds digits
    size_t dataLength = 0;
    const unsigned char* data = nullptr;   // points into the stream
    long value = -1;            // decoded setting for the 8-digit records
};

struct PlaneInfo {
    int32_t width = 0, height = 0;
    int32_t xPpm = 0, yPpm = 0;
    size_t rowBytes = 0;
    const unsigned char* rows = nullptr;   // bottom-up rows
};

// One print of a job stream: the sheet code, its planes (Y, M, C) and the
// decoded setting records that went before it.
struct StreamPrint {
    long cutter = -1, overcoat = -1, retry = -1, speed = -1, decurl = -1, multiCut = -1;
    PlaneInfo planes[3];
    int yDpi = 0;
};

struct StreamReport {
    std::vector<StreamRecord> records;
    long setupMultiCut = -1;            // the job's single-picture code, -1 when not sent
    std::vector<StreamPrint> prints;
    std::string error;                  // empty when the stream is sound
    size_t errorRecord = 0;             // index of the offending record
    size_t errorOffset = 0;             // its byte offset in the stream
};

// Splits the stream into records, checking each one's framing. Stops at the
// first fault (report.error set).
void ParseRecords(const unsigned char* bytes, size_t size, StreamReport& report);

// Parses and then checks the order of a job stream, the setting values and
// every plane bitmap. `headWidth` is the dot count the planes must have.
StreamReport InspectJobStream(const unsigned char* bytes, size_t size, int headWidth = 1920);

// Rows of a sheet (at 300 dpi) for a "MULTICUT" code, 0 for an unknown code.
int SheetRowsForCode(long multiCut);

// One line describing a record, as zr_inspect prints it.
std::string DescribeRecord(const StreamRecord& record);
