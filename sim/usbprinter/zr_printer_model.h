// The behaviour of one emulated ZR printer behind its USB endpoints: it
// parses the command records arriving on bulk-out 0x01, answers queries with
// reply records for bulk-in 0x82 from a state that tests set, keeps every
// other record (a print job) for later decoding, and misbehaves on request.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace zrsim {

// Ways a printer can fail when it answers.
enum class ReplyFault {
    None,
    Silent,     // never answers: the host's read times out
    BusError,   // every read fails at once with a transfer error
    BadHeader,  // length digits hold a letter
    ShortBody,  // the body stops three bytes before its announced end
};

struct PrinterState {
    std::string serial = "A1234";
    std::string firmware = "1.53";
    long status = 0;
    // Reply texts as the printer sends them; the host drops a few leading
    // characters of each (2 for media, 4 for quantities, 2 for the counter).
    std::string mediaReply = "MS310";
    std::string mediaInitialReply = "MQD:400";
    std::string mediaRemainReply = "MQR:123";
    std::string mediaClassReply = "RF01";
    std::string mediaRemainHalfReply = "RQ:0";
    long counter = 5678;  // answered as "CL" + number; each finished print adds one
    std::string productString = "KORVANE ZR Photo Printer";
    std::string manufacturerString = "KORVANE";
    std::string deviceId = "MFG:KORVANE;MANUFACTURER:KORVANE;MODEL:ZR;CLASS:PRINTER;COMMAND SET:KZR;";
    // When set, sent as the whole GET_DEVICE_ID answer, length bytes included.
    std::string rawDeviceId;

    // Sent, one per query and byte for byte, before any computed reply.
    std::deque<std::string> rawReplies;

    ReplyFault fault = ReplyFault::None;
    // Replies answered normally before `fault` applies (-1: never counted).
    int repliesBeforeFault = -1;
    // When a record of this name and parameter ("INFO MEDIA") arrives, the
    // printer drops off the bus in the middle of the access.
    std::string unplugOnCommand;
    // A bulk-out transfer reports success but takes no bytes.
    bool acceptsNoBytes = false;

    // Printing: each START record queues a print that takes this long
    // (0: done at once). Meanwhile the status reads 1, unless `status` is
    // an error (1000 and up), which holds every print until it is cleared.
    // A finished print adds one to the counter and takes one from the
    // remaining count; the last print of a set leaves `emptyStatus`.
    int printMillis = 0;
    long emptyStatus = 1200;
    // Prints queued and not yet finished (read-only for tests).
    int printsPending = 0;
};

// Sets one field of `s` by the name scripts and test harnesses use: serial,
// status, firmware, counter, media, initial, remain, product-string,
// device-id, fault (none|silent|buserror|badheader|shortbody), print-ms,
// empty-status. False for an unknown name or a value that does not fit.
bool ApplySetting(PrinterState& s, const std::string& key, const std::string& value);

// A command record as received.
struct ReceivedRecord {
    std::string name;       // trailing spaces removed
    std::string parameter;  // trailing spaces removed
    std::string data;
};

class ZrPrinterModel {
public:
    explicit ZrPrinterModel(PrinterState initial = PrinterState());

    // Thread-safe access to the state for tests.
    void Update(const std::function<void(PrinterState&)>& change);
    PrinterState State() const;

    // Bytes from one bulk-out transfer. Answers how many were taken.
    size_t ReceiveBulkOut(const uint8_t* data, size_t length);
    // Fills at most `capacity` bytes for one bulk-in transfer. Answers the
    // count, 0 when nothing is waiting (the transfer stays pending), or -1
    // when the read must fail (bus error).
    int SendBulkIn(uint8_t* out, size_t capacity);
    bool ReplyWaiting() const;
    // Forgets reply bytes the host never read (a host that refused a header).
    void DiscardReply();

    // Answer to a control-in request on endpoint 0 (descriptors, device ID).
    // Answers the byte count or -1 to stall.
    int ControlIn(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index, uint8_t* out,
        size_t capacity);

    // Set when `unplugOnCommand` fired; the bus takes the device away.
    bool UnplugRequested() const;

    std::vector<ReceivedRecord> Records() const;
    // Every byte of records that ask for no reply, in order (the job stream).
    std::string JobBytes() const;
    // Sizes of the bulk-out transfers, in order.
    std::vector<size_t> OutChunks() const;
    void ClearLogs();

private:
    void ParseRecords();
    // Moves the printing on to the present moment.
    void Advance();
    void Answer(const ReceivedRecord& record);
    std::string ReplyText(const ReceivedRecord& record, bool* known) const;
    std::string StringDescriptor(uint8_t index) const;

    mutable std::mutex lock;
    PrinterState state;
    std::string pending;       // received bytes not yet forming a whole record
    std::deque<uint8_t> outgoing;
    int repliesAnswered = 0;
    bool unplugRequested = false;
    std::vector<ReceivedRecord> records;
    std::string jobBytes;
    std::vector<size_t> outChunks;
    bool printing = false;
    std::chrono::steady_clock::time_point printStarted;
};

}  // namespace zrsim
