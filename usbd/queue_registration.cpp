#include "queue_registration.h"

#include "info_file.h"
#include "printer_queries.h"
#include "run_command.h"
#include "shared_files.h"
#include "usb_identity.h"
#include "usb_transport.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kBaseQueue = "KORVANE-ZR";
constexpr const char* kNumberedPrefix = "KORVANE-ZR-";
constexpr int kSerialAttempts = 10;
constexpr int kProductSize = 256;
constexpr int kDeviceIdSize = 2048;

// A hostile serial is an answer too: asking again would not change it, so
// the attempts end and the printer stays unnamed.
void ReadSerial(thdata* r)
{
    for (int attempt = 0; attempt < kSerialAttempts; ++attempt) {
        char serial[kQueryOutSize];
        const SerialRead read = ReadSerialNumber(r->handle, serial);
        if (read == SerialRead::Failed) {
            sleep(1);
            continue;
        }
        if (read == SerialRead::Empty)
            continue;
        if (read == SerialRead::Ok) {
            static_assert(sizeof r->serialNo >= sizeof serial, "serial field too small");
            memcpy(r->serialNo, serial, sizeof serial);
            r->bSerialOk = true;
        }
        return;
    }
}

void Identify(thdata* r)
{
    char product[kProductSize];
    if (!ReadProductString(r->device, r->handle, product, sizeof product))
        return;
    char id[kDeviceIdSize] = {};
    DeviceIdentity who;
    if (get_device_id(r->handle, id, sizeof id) != 0 || !IsZrPrinter(product, id, &who))
        return;
    const std::string model = InfoValue(who.model.c_str());
    const size_t n = std::min(model.size(), sizeof r->model - 1);
    memcpy(r->model, model.data(), n);
    r->model[n] = '\0';
    r->bModelOk = true;
}

// Looks through the queues for a ZR queue of this serial; names of ZR queues
// that serve other printers are collected for the numbering. Answers true
// when this printer already has a queue.
bool ScanQueues(const thdata* r, cups_dest_t* dests, int count, std::vector<std::string>& collected)
{
    for (int i = 0; i < count; ++i) {
        const char* name = dests[i].name;
        if (name == nullptr || strstr(name, kBaseQueue) == nullptr)
            continue;
        const char* uri = cupsGetOption("device-uri", dests[i].num_options, dests[i].options);
        const char* serial = UriSerial(uri);
        // Only the exact serial counts: one serial may begin another, and
        // a queue that serves another printer must never be re-pointed.
        if (serial != nullptr && strcmp(serial, r->serialNo) == 0)
            return true;
        collected.push_back(name);
    }
    return false;
}

void Register(thdata* r)
{
    cupsEnumDests(0, 0, nullptr, 0, 0, enum_cb, r);
    if (r->bRegistered)
        return;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests(&dests);
    std::vector<std::string> collected;
    if (count > 0 && dests != nullptr && ScanQueues(r, dests, count, collected)) {
        r->bRegistered = true;
    } else {
        const int number = collected.empty() ? 0 : ChooseQueueNumber(collected);
        if (RunCommand(LpadminArguments(number, r->serialNo)) == 0)
            r->bRegistered = true;
    }
    cupsFreeDests(count, dests);
}

}  // namespace

int enum_cb(void* record, unsigned /*flags*/, cups_dest_t* dest)
{
    auto* r = static_cast<thdata*>(record);
    if (r == nullptr || dest == nullptr)
        return 1;
    const char* uri = cupsGetOption("device-uri", dest->num_options, dest->options);
    if (uri == nullptr)
        return 1;
    for (const char* part : {"ZR", "KORVANE", "korvane-zvobackend", "serial="})
        if (strstr(uri, part) == nullptr)
            return 1;
    const char* serial = UriSerial(uri);
    if (serial[0] != '\0' && strcmp(serial, r->serialNo) == 0)
        r->bRegistered = true;
    return 1;
}

int getRNumber(const char* name)
{
    if (name == nullptr || strstr(name, kNumberedPrefix) == nullptr)
        return 0;
    if (strlen(name) <= strlen(kNumberedPrefix))
        return 0;
    char digits[64];
    snprintf(digits, sizeof digits, "%s", name + strlen(kNumberedPrefix));
    const long value = strtol(digits, nullptr, 10);
    // Out-of-range numbers name no slot the numbering could use.
    if (value < 0 || value >= INT_MAX)
        return 0;
    return static_cast<int>(value);
}

int ChooseQueueNumber(const std::vector<std::string>& collected)
{
    std::vector<int> numbers;
    for (const std::string& name : collected) {
        const int n = name == kBaseQueue ? 0 : getRNumber(name.c_str());
        // Names without a usable number (below 2) hold no numbered slot.
        if (n >= 2)
            numbers.push_back(n);
    }
    std::sort(numbers.begin(), numbers.end());
    int chosen = 2;
    if (!numbers.empty() && numbers.front() == 2) {
        chosen = numbers.back() + 1;
        // The last gap decides, so 2, 4, 6 give 5.
        for (size_t i = 1; i < numbers.size(); ++i)
            if (numbers[i] != numbers[i - 1] + 1)
                chosen = numbers[i - 1] + 1;
    }
    // Never hand out a name that already serves another printer, whatever
    // odd names (KORVANE-ZR-02, KORVANE-ZR-x) led the rule there.
    auto taken = [&collected](int n) {
        const std::string name = std::string(kNumberedPrefix) + std::to_string(n);
        return std::find(collected.begin(), collected.end(), name) != collected.end();
    };
    while (taken(chosen) && chosen < INT_MAX - 1)
        ++chosen;
    return chosen;
}

std::vector<std::string> LpadminArguments(int number, const char* serial)
{
    std::string name = kBaseQueue;
    std::string description = "KORVANE ZR";
    if (number >= 2) {
        name += "-" + std::to_string(number);
        description += " " + std::to_string(number);
    }
    return {"lpadmin", "-p", name, "-E", "-D", description, "-m", "KORVANE_ZR.ppd", "-v", DeviceUri(serial),
        "-o", "printer-is-shared=false",
        // Borderless photos cover the sheet: the converters in front of the
        // filter crop a picture of another shape instead of leaving bands.
        "-o", "print-scaling-default=fill"};
}

void getPrinterInfo(thdata* r)
{
    if (r == nullptr || r->handle == nullptr)
        return;
    if (!r->bSerialOk)
        ReadSerial(r);
    if (!r->bModelOk)
        Identify(r);
    if (!r->bSerialOk || !r->bModelOk)
        return;
    if (!r->bRegistered)
        Register(r);
    WriteFile(r->handle, r);
}
