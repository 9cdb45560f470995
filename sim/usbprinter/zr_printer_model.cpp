#include "zr_printer_model.h"

#include "record_frame.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace zrsim {

namespace {

constexpr size_t kHeader = zr_record::kHeaderSize;

// A reply record: eight length digits, then the body ended by CR.
std::string ReplyRecord(const std::string& text)
{
    const std::string body = text + "\r";
    char digits[16];
    snprintf(digits, sizeof digits, "%08zu", body.size());
    return digits + body;
}

bool IsError(long status)
{
    return status >= 1000;
}

// The number in a quantity reply ("MQR:123"), or -1.
long Quantity(const std::string& reply)
{
    if (reply.size() <= 4)
        return -1;
    char* end = nullptr;
    const long value = strtol(reply.c_str() + 4, &end, 10);
    return end == reply.c_str() + 4 ? -1 : value;
}

}  // namespace

void ZrPrinterModel::Advance()
{
    const auto now = std::chrono::steady_clock::now();
    while (state.printsPending > 0) {
        if (IsError(state.status)) {
            // Held: the print under way starts again once the error clears.
            printing = false;
            return;
        }
        if (!printing) {
            printing = true;
            printStarted = now;
        }
        const auto done = printStarted + std::chrono::milliseconds(state.printMillis);
        if (now < done)
            return;
        --state.printsPending;
        ++state.counter;
        printing = false;
        printStarted = done;
        const long remain = Quantity(state.mediaRemainReply);
        if (remain > 0) {
            state.mediaRemainReply = state.mediaRemainReply.substr(0, 4) + std::to_string(remain - 1);
            if (remain == 1)
                state.status = state.emptyStatus;
        }
        printing = state.printsPending > 0;  // the next one starts as this one ends
    }
}

ZrPrinterModel::ZrPrinterModel(PrinterState initial) : state(std::move(initial)) {}

void ZrPrinterModel::Update(const std::function<void(PrinterState&)>& change)
{
    std::lock_guard<std::mutex> hold(lock);
    Advance();
    change(state);
}

PrinterState ZrPrinterModel::State() const
{
    std::lock_guard<std::mutex> hold(lock);
    // Time passing is not a change made by the caller.
    const_cast<ZrPrinterModel*>(this)->Advance();
    return state;
}

size_t ZrPrinterModel::ReceiveBulkOut(const uint8_t* data, size_t length)
{
    std::lock_guard<std::mutex> hold(lock);
    Advance();
    outChunks.push_back(length);
    if (state.acceptsNoBytes)
        return 0;
    pending.append(reinterpret_cast<const char*>(data), length);
    ParseRecords();
    return length;
}

void ZrPrinterModel::ParseRecords()
{
    while (pending.size() >= kHeader) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(pending.data());
        const zr_record::Header header = zr_record::ReadHeader(bytes);
        if (!header.startOk || header.length == zr_record::LengthField::Bad) {
            // Out of step: skip to the next record start.
            const size_t next = pending.find("\x1bP", 1);
            pending.erase(0, next == std::string::npos ? pending.size() - 1 : next);
            continue;
        }
        const size_t dataLength = header.dataLength;
        if (pending.size() < kHeader + dataLength)
            return;
        ReceivedRecord record;
        record.name = zr_record::Trimmed(header.name);
        record.parameter = zr_record::Trimmed(header.parameter);
        record.data = pending.substr(kHeader, dataLength);
        const std::string raw = pending.substr(0, kHeader + dataLength);
        pending.erase(0, kHeader + dataLength);
        records.push_back(record);
        bool known = false;
        ReplyText(record, &known);
        if (!known)
            jobBytes += raw;
        Answer(record);
    }
}

std::string ZrPrinterModel::ReplyText(const ReceivedRecord& r, bool* known) const
{
    *known = true;
    if (r.name == "STATUS") {
        // The eight body bytes end with CR like every reply body.
        char body[16];
        const long status = state.printsPending > 0 && !IsError(state.status) ? 1 : state.status;
        snprintf(body, sizeof body, "%07ld", status);
        return body;
    }
    if (r.name == "INFO") {
        if (r.parameter == "SERIAL_NUMBER")
            return state.serial;
        if (r.parameter == "FVER")
            return state.firmware;
        if (r.parameter == "MEDIA")
            return state.mediaReply;
        if (r.parameter == "MQTY_DEFAULT")
            return state.mediaInitialReply;
        if (r.parameter == "MQTY")
            return state.mediaRemainReply;
        if (r.parameter == "MEDIA_CLASS_RFID")
            return state.mediaClassReply;
        if (r.parameter == "RQTY")
            return state.mediaRemainHalfReply;
    }
    if (r.name == "MNT_RD" && r.parameter == "COUNTER_LIFE")
        return "CL" + std::to_string(state.counter);
    *known = false;
    return std::string();
}

void ZrPrinterModel::Answer(const ReceivedRecord& record)
{
    if (!state.unplugOnCommand.empty() && state.unplugOnCommand == record.name + " " + record.parameter)
        unplugRequested = true;
    if (record.name == "CNTRL" && record.parameter == "START") {
        ++state.printsPending;
        Advance();
    }
    bool known = false;
    const std::string text = ReplyText(record, &known);
    if (!known)
        return;
    if (!state.rawReplies.empty()) {
        const std::string raw = state.rawReplies.front();
        state.rawReplies.pop_front();
        outgoing.insert(outgoing.end(), raw.begin(), raw.end());
        return;
    }
    const bool faulty = state.fault != ReplyFault::None &&
        (state.repliesBeforeFault < 0 || repliesAnswered >= state.repliesBeforeFault);
    ++repliesAnswered;
    std::string reply = ReplyRecord(text);
    if (faulty) {
        switch (state.fault) {
        case ReplyFault::Silent:
        case ReplyFault::BusError:
            return;
        case ReplyFault::BadHeader:
            reply[3] = 'A';
            break;
        case ReplyFault::ShortBody:
            reply.resize(reply.size() > 11 ? reply.size() - 3 : 8);
            break;
        case ReplyFault::None:
            break;
        }
    }
    outgoing.insert(outgoing.end(), reply.begin(), reply.end());
}

int ZrPrinterModel::SendBulkIn(uint8_t* out, size_t capacity)
{
    std::lock_guard<std::mutex> hold(lock);
    const bool faulty = state.fault == ReplyFault::BusError &&
        (state.repliesBeforeFault < 0 || repliesAnswered > state.repliesBeforeFault);
    if (faulty && outgoing.empty())
        return -1;
    const size_t n = std::min(capacity, outgoing.size());
    std::copy(outgoing.begin(), outgoing.begin() + static_cast<long>(n), out);
    outgoing.erase(outgoing.begin(), outgoing.begin() + static_cast<long>(n));
    return static_cast<int>(n);
}

bool ZrPrinterModel::ReplyWaiting() const
{
    std::lock_guard<std::mutex> hold(lock);
    return !outgoing.empty();
}

void ZrPrinterModel::DiscardReply()
{
    std::lock_guard<std::mutex> hold(lock);
    outgoing.clear();
}

std::string ZrPrinterModel::StringDescriptor(uint8_t index) const
{
    std::string text;
    if (index == 1)
        text = state.manufacturerString;
    else if (index == 2)
        text = state.productString;
    else if (index == 3)
        text = state.serial;
    else
        return std::string();
    // bLength, bDescriptorType 3, then UTF-16LE; at most 126 characters fit.
    text.resize(std::min<size_t>(text.size(), 126));
    std::string d;
    d += static_cast<char>(2 + 2 * text.size());
    d += '\x03';
    for (char c : text) {
        d += c;
        d += '\0';
    }
    return d;
}

int ZrPrinterModel::ControlIn(uint8_t requestType, uint8_t request, uint16_t value, uint16_t /*index*/,
    uint8_t* out, size_t capacity)
{
    std::lock_guard<std::mutex> hold(lock);
    std::string answer;
    if (requestType == 0x80 && request == 6 && (value >> 8) == 3) {
        const uint8_t index = value & 0xFF;
        if (index == 0)
            answer = std::string("\x04\x03\x09\x04", 4);  // US English only
        else
            answer = StringDescriptor(index);
        if (answer.empty())
            return -1;
    } else if (requestType == 0xA1 && request == 0) {
        if (!state.rawDeviceId.empty()) {
            answer = state.rawDeviceId;
        } else {
            const size_t length = state.deviceId.size() + 2;
            answer += static_cast<char>((length >> 8) & 0xFF);
            answer += static_cast<char>(length & 0xFF);
            answer += state.deviceId;
        }
    } else {
        return -1;
    }
    const size_t n = std::min(capacity, answer.size());
    memcpy(out, answer.data(), n);
    return static_cast<int>(n);
}

bool ZrPrinterModel::UnplugRequested() const
{
    std::lock_guard<std::mutex> hold(lock);
    return unplugRequested;
}

std::vector<ReceivedRecord> ZrPrinterModel::Records() const
{
    std::lock_guard<std::mutex> hold(lock);
    return records;
}

std::string ZrPrinterModel::JobBytes() const
{
    std::lock_guard<std::mutex> hold(lock);
    return jobBytes;
}

std::vector<size_t> ZrPrinterModel::OutChunks() const
{
    std::lock_guard<std::mutex> hold(lock);
    return outChunks;
}

void ZrPrinterModel::ClearLogs()
{
    std::lock_guard<std::mutex> hold(lock);
    records.clear();
    jobBytes.clear();
    outChunks.clear();
}


bool ApplySetting(PrinterState& s, const std::string& key, const std::string& value)
{
    static const std::map<std::string, ReplyFault> faults = {{"none", ReplyFault::None},
        {"silent", ReplyFault::Silent}, {"buserror", ReplyFault::BusError}, {"badheader", ReplyFault::BadHeader},
        {"shortbody", ReplyFault::ShortBody}};
    static const std::map<std::string, std::string PrinterState::*> texts = {{"serial", &PrinterState::serial},
        {"firmware", &PrinterState::firmware}, {"media", &PrinterState::mediaReply},
        {"initial", &PrinterState::mediaInitialReply}, {"remain", &PrinterState::mediaRemainReply},
        {"product-string", &PrinterState::productString}, {"device-id", &PrinterState::deviceId}};
    static const std::map<std::string, long PrinterState::*> numbers = {{"status", &PrinterState::status},
        {"counter", &PrinterState::counter}, {"empty-status", &PrinterState::emptyStatus}};
    if (const auto text = texts.find(key); text != texts.end()) {
        s.*(text->second) = value;
        return true;
    }
    char* end = nullptr;
    const long number = strtol(value.c_str(), &end, 10);
    const bool isNumber = !value.empty() && *end == '\0';
    if (const auto field = numbers.find(key); field != numbers.end() && isNumber) {
        s.*(field->second) = number;
        return true;
    }
    if (key == "print-ms" && isNumber && number >= 0) {
        s.printMillis = static_cast<int>(number);
        return true;
    }
    const auto fault = key == "fault" ? faults.find(value) : faults.end();
    if (fault == faults.end())
        return false;
    s.fault = fault->second;
    return true;
}

}  // namespace zrsim
