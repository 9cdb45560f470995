#include "printer_watch.h"

#include "printer_queries.h"

#include <unistd.h>

#include <cstdlib>

namespace zr_backend {

namespace {

constexpr int kStatusTries = 5;
constexpr long kPrinting = 1;
constexpr long kCooling = 500;
constexpr int kStep = 100;            // ms between looks at the cancel flag
constexpr int kFollowMillis = 500;    // between looks while prints come out
// A printer that reports neither progress nor an error for this long has
// lost the job.
constexpr int kStallMillis = 180000;

// The number in a reply from its `drop`th character on, or -1.
long ReplyNumber(long length, const char* reply, long drop)
{
    if (length <= drop)
        return -1;
    char* end = nullptr;
    const long value = strtol(reply + drop, &end, 10);
    return end == reply + drop || value < 0 ? -1 : value;
}

}  // namespace

PrinterWatch::PrinterWatch(libusb_device_handle* handle, FILE* log, const volatile std::sig_atomic_t* cancel,
    int pollMillis)
    : handle(handle), log(log), cancel(cancel), pollMillis(pollMillis)
{
}

void PrinterWatch::Say(const std::string& line)
{
    fprintf(log, "%s\n", line.c_str());
    fflush(log);
}

bool PrinterWatch::Pause(int millis)
{
    for (int waited = 0; waited < millis; waited += kStep) {
        if (*cancel)
            return false;
        usleep(kStep * 1000);
    }
    return !*cancel;
}

void PrinterWatch::SetStatusReason(long status)
{
    const long shown = IsErrorStatus(status) ? status : 0;
    if (shown == shownStatus)
        return;
    const std::string before = ErrorReason(shownStatus), now = ErrorReason(shown);
    if (!before.empty() && before != now)
        Say("STATE: -" + before);
    if (!now.empty()) {
        Say("STATE: +" + now);
        Say("INFO: " + Instruction(status));
    }
    shownStatus = shown;
}

void PrinterWatch::SetMediaNeeded(bool needed, int sheetCode)
{
    if (needed == mediaNeeded)
        return;
    mediaNeeded = needed;
    Say(needed ? "STATE: +media-needed-error" : "STATE: -media-needed-error");
    if (needed)
        Say("INFO: Load " + MediaForSheet(sheetCode) + " for this job.");
}

bool PrinterWatch::Look(long* status)
{
    for (int i = 0; i < kStatusTries; ++i) {
        *status = GetStatus(handle);
        if (*status != kStatusFailed)
            break;
    }
    if (*status == kStatusFailed)
        return false;
    SetStatusReason(*status);
    return true;
}

MediaLevel PrinterWatch::ReadMedia()
{
    MediaLevel level;
    char reply[kQueryOutSize] = {};
    level.code = static_cast<int>(ReplyNumber(GetMediaSize(handle, reply), reply, 2));
    level.initial = ReplyNumber(GetMediaInitial(handle, reply), reply, 4);
    level.remain = ReplyNumber(GetMediaRemain(handle, reply), reply, 4);
    return level;
}

std::string PrinterWatch::MediaText() const
{
    return MediaAllowsTwoUp(media.code) ? std::to_string(media.code) : std::string();
}

Wait PrinterWatch::UntilReady()
{
    for (;;) {
        long status = 0;
        if (!Look(&status))
            return Wait::Gone;
        if (!IsErrorStatus(status))
            return Wait::Ready;
        if (!Pause(pollMillis))
            return Wait::Cancelled;
    }
}

Wait PrinterWatch::UntilMediaTakes(int sheetCode)
{
    for (;;) {
        const Wait ready = UntilReady();
        if (ready != Wait::Ready)
            return ready;
        // A printer that names no media we know is left to judge the job.
        const MediaLevel loaded = ReadMedia();
        const bool known = IsKnownMedia(loaded.code) && !MediaForSheet(sheetCode).empty();
        const bool fits = !known || MediaTakesSheet(loaded.code, sheetCode);
        SetMediaNeeded(!fits, sheetCode);
        if (fits)
            return Wait::Ready;
        if (!Pause(pollMillis))
            return Wait::Cancelled;
    }
}

MediaLevel PrinterWatch::ReportMedia()
{
    const MediaLevel now = ReadMedia();
    const bool changed = now.code != media.code || now.initial != media.initial || now.remain != media.remain;
    media = now;
    if (changed || !reported) {
        for (const std::string& line : MarkerLines(media))
            Say(line);
        reported = true;
    }
    return media;
}

Wait PrinterWatch::UntilPrinted(int prints, int* printed)
{
    *printed = 0;
    long lastRemain = media.remain;
    bool sawPrinting = false;
    int quiet = 0;  // ms without progress or error
    for (;;) {
        long status = 0;
        if (!Look(&status))
            return Wait::Gone;
        const long remain = ReadMedia().remain;
        const int before = *printed;
        if (remain >= 0 && lastRemain >= 0 && remain < lastRemain) {
            for (long n = lastRemain - remain; n > 0 && *printed < prints; --n)
                Say("PAGE: " + std::to_string(++*printed) + " 1");
        }
        // A count that rises again is a new media set: counting goes on from it.
        if (remain >= 0)
            lastRemain = remain;
        sawPrinting = sawPrinting || status == kPrinting;
        if (status != kPrinting && *printed >= prints)
            return Wait::Ready;
        // Without a count to follow, back to waiting after printing is done.
        if (remain < 0 && sawPrinting && status != kPrinting && !IsErrorStatus(status)) {
            while (*printed < prints)
                Say("PAGE: " + std::to_string(++*printed) + " 1");
            return Wait::Ready;
        }
        // An error or a cooling head holds the prints back; that is no stall.
        const bool held = IsErrorStatus(status) || status == kCooling;
        quiet = (*printed > before || held) ? 0 : quiet + kFollowMillis;
        if (quiet >= kStallMillis)
            return Wait::Stalled;
        if (!Pause(kFollowMillis))
            return Wait::Cancelled;
    }
}

}  // namespace zr_backend
