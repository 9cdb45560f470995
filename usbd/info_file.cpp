#include "info_file.h"

#include "printer_queries.h"
#include "replace_file.h"
#include "selinux_label.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr long kPowerSaving = 900;
constexpr long kPrinting = 1;

// Status last written for any printer; all writers hold usb_openclose_mutex.
long prevStatus = -1;

void AddLine(std::string& text, const char* key, const std::string& value)
{
    text += KeyValueLine(key, value);
}

void AddSection(std::string& text, const char* header)
{
    text += header;
    text += '\n';
}

// Reply text with its first `drop` characters removed, or "" when shorter.
std::string Tail(const char* reply, long length, long drop)
{
    if (length < 0 || length <= drop)
        return std::string();
    return InfoValue(reply + drop);
}

long ReadStatus(libusb_device_handle* handle)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        const long status = GetStatus(handle);
        if (status != kStatusFailed)
            return status;
    }
    return kStatusOffline;
}

// A reading is the number from the reply's third character on.
bool ReadCounter(libusb_device_handle* handle, bool slow, int* reading)
{
    char text[kQueryOutSize] = {};
    const long length = GetTotalCount(handle, text, slow);
    if (length < 0)
        return false;
    *reading = length > 2 ? static_cast<int>(strtol(text + 2, nullptr, 10)) : 0;
    return true;
}

}  // namespace

std::string InfoValue(const char* text)
{
    std::string value(text == nullptr ? "" : text);
    for (char& c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7E || c == '"')
            c = '?';
    }
    return value;
}

int ChooseTotalCount(thdata* r, long status, bool printEnded, const CounterRead& read)
{
    int reading = 0;
    bool have = false;
    if (r->fileFlags & 2) {
        int first = 0;
        if (read(status == kPowerSaving, &first)) {
            have = true;
            reading = first;
            int second = 0;
            if (printEnded && read(false, &second))
                reading = second;
        }
    }
    if (!have && (r->bCountRefresh || printEnded)) {
        if (read(false, &reading)) {
            have = true;
            if (!printEnded)
                r->bCountRefresh = false;
        }
    }
    if (!have && r->bMonitorSeen && !r->bMonitorCountRead) {
        if (status == kPowerSaving) {
            // Waking the printer for its counter would take 10 seconds.
            r->bMonitorCountRead = true;
        } else if (read(false, &reading)) {
            r->bMonitorCountRead = true;
            have = true;
        }
    }
    // Readings taken while nobody asked (before registration) stay private.
    if (have && r->fileFlags != 0)
        r->totalCount = reading;
    return r->totalCount >= 0 ? r->totalCount : -1;
}

void WriteFile(libusb_device_handle* handle, thdata* record)
{
    if (record == nullptr)
        return;
    const std::string path = InfoFilePath(record->serialNo);
    if (path.empty())
        return;
    std::string text;
    AddSection(text, "#PRINTER_INFORMATION");
    AddLine(text, "MODEL", InfoValue(record->model));

    const long status = ReadStatus(handle);
    const bool printEnded = prevStatus == kPrinting && status != kPrinting;
    prevStatus = status;
    char number[32];
    snprintf(number, sizeof number, "%05ld", status);
    AddLine(text, "PRINTER_STATUS", number);
    snprintf(number, sizeof number, "%05d", GetMessage(static_cast<int>(status)));
    AddLine(text, "PRINTER_MESSAGE", number);

    char reply[kQueryOutSize] = {};
    long length = GetFirmVersion(handle, reply);
    AddLine(text, "PRINTER_VERSION", Tail(reply, length, 0));
    AddLine(text, "PRINTER_SERIAL_NO", status == kStatusOffline ? "" : record->serialNo);
    text += '\n';
    AddSection(text, "#MEDIA_INFORMATION");

    memset(reply, 0, sizeof reply);
    length = GetMediaSize(handle, reply);
    AddLine(text, "MEDIA_SIZE", Tail(reply, length, 2));
    memset(reply, 0, sizeof reply);
    length = GetMediaInitial(handle, reply);
    AddLine(text, "MEDIA_INITIAL", Tail(reply, length, 4));
    memset(reply, 0, sizeof reply);
    length = GetMediaRemain(handle, reply);
    AddLine(text, "MEDIA_REMAIN", Tail(reply, length, 4));
    text += '\n';
    AddSection(text, "#COUNTER_INFORMATION");

    const int count = ChooseTotalCount(record, status, printEnded,
        [handle](bool slow, int* value) { return ReadCounter(handle, slow, value); });
    if (count >= 0) {
        snprintf(number, sizeof number, "%d", count);
        AddLine(text, "TOTAL_COUNT", number);
    } else {
        AddLine(text, "TOTAL_COUNT", "");
    }
    text += '\n';
    WriteInfoText(path.c_str(), text);
}

void WriteFile(const char* serial)
{
    // An unusable serial (including none at all) names no file.
    const std::string path = InfoFilePath(serial);
    if (path.empty())
        return;
    std::string text = "#PRINTER_INFORMATION\n";
    AddLine(text, "MODEL", "");
    AddLine(text, "PRINTER_STATUS", "99999");
    AddLine(text, "PRINTER_MESSAGE", "00006");
    AddLine(text, "PRINTER_VERSION", "");
    AddLine(text, "PRINTER_SERIAL_NO", "");
    text += "\n#MEDIA_INFORMATION\n";
    AddLine(text, "MEDIA_SIZE", "");
    AddLine(text, "MEDIA_INITIAL", "");
    AddLine(text, "MEDIA_REMAIN", "");
    text += "\n#COUNTER_INFORMATION\n";
    AddLine(text, "TOTAL_COUNT", "");
    text += '\n';
    WriteInfoText(path.c_str(), text);
}

bool WriteInfoText(const char* path, const std::string& text)
{
    // Everybody reads it (the filter's user, the desktop user); only the
    // daemon writes it.
    return ReplaceFile(path, text, 0644, nullptr, [](int fd) {
        if (bSELinuxEnabled)
            LabelForCups(fd);
    });
}

bool existFile(const char* path)
{
    // A link is not the file it points at: /tmp is everybody's.
    struct stat st;
    return path != nullptr && lstat(path, &st) == 0 && S_ISREG(st.st_mode);
}

bool isSELinuxEnabled()
{
    return SelinuxEnforcing();
}
