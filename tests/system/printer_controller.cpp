// Owns the emulated USB bus for the whole-system test and takes its orders
// line by line on standard input, so the test script can plug, inspect and
// unplug a printer at the moments it chooses. Runs under umockdev-wrapper;
// other programs reach the bus with the LD_PRELOAD and UMOCKDEV_DIR it
// prints first ("env LD_PRELOAD=... UMOCKDEV_DIR=...").
//
//   plug SERIAL MEDIA_REPLY COUNTER   a ZR printer with a bound kernel driver
//   set KEY=VALUE...                  change the printer (keys of ApplySetting:
//                                     status, media, remain, print-ms, ...)
//   state                             "status=S remain=R counter=C pending=P starts=N"
//   save-job PATH                     the print job bytes it received
//   clear                             forget the records received so far
//   daemon-queries-in-job             queries only the daemon asks (firmware,
//                                     counter, serial) that arrived between
//                                     the job's first and last record
//   unplug
//   quit
// Every order is answered by one line "done <answer>".
#include "emulated_bus.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

bool IsJobRecord(const zrsim::ReceivedRecord& r)
{
    return r.name == "IMAGE" || r.name == "CNTRL";
}

// The daemon breaking into the job's records: its passes always ask for the
// firmware version; the backend's own status and media queries are allowed.
bool IsDaemonQuery(const zrsim::ReceivedRecord& r)
{
    return (r.name == "INFO" && (r.parameter == "FVER" || r.parameter == "SERIAL_NUMBER")) || r.name == "MNT_RD";
}

int DaemonQueriesInJob(const std::vector<zrsim::ReceivedRecord>& records)
{
    size_t first = records.size(), last = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        if (IsJobRecord(records[i])) {
            first = std::min(first, i);
            last = i;
        }
    }
    int queries = 0;
    for (size_t i = first; i < last; ++i)
        queries += IsDaemonQuery(records[i]) ? 1 : 0;
    return queries;
}

}  // namespace

int main()
{
    if (!zrsim::EmulatedBus::Available()) {
        fprintf(stderr, "run me under umockdev-wrapper\n");
        return 2;
    }
    zrsim::EmulatedBus bus;
    printf("env LD_PRELOAD=%s UMOCKDEV_DIR=%s\n", getenv("LD_PRELOAD"), getenv("UMOCKDEV_DIR"));
    fflush(stdout);
    int id = -1;
    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream words(line);
        std::string verb, answer = "ok";
        words >> verb;
        if (verb == "plug") {
            zrsim::PrinterState state;
            words >> state.serial >> state.mediaReply >> state.counter;
            zrsim::DeviceOptions options;
            options.kernelDriverBound = true;
            id = bus.Plug(std::make_shared<zrsim::ZrPrinterModel>(state), options);
        } else if (verb == "set" && id > 0) {
            bool ok = true;
            bus.Model(id)->Update([&](zrsim::PrinterState& s) {
                for (std::string pair; words >> pair;) {
                    const size_t eq = pair.find('=');
                    ok = eq != std::string::npos && zrsim::ApplySetting(s, pair.substr(0, eq), pair.substr(eq + 1)) && ok;
                }
            });
            answer = ok ? "ok" : "error: " + line;
        } else if (verb == "state" && id > 0) {
            const zrsim::PrinterState s = bus.Model(id)->State();
            const auto records = bus.Model(id)->Records();
            const long starts = std::count_if(records.begin(), records.end(),
                [](const zrsim::ReceivedRecord& r) { return r.name == "CNTRL" && r.parameter == "START"; });
            answer = "status=" + std::to_string(s.status) + " remain=" + s.mediaRemainReply.substr(4) +
                " counter=" + std::to_string(s.counter) + " pending=" + std::to_string(s.printsPending) +
                " starts=" + std::to_string(starts);
        } else if (verb == "save-job" && id > 0) {
            std::string path;
            words >> path;
            std::ofstream(path, std::ios::binary) << bus.Model(id)->JobBytes();
        } else if (verb == "clear" && id > 0) {
            bus.Model(id)->ClearLogs();
        } else if (verb == "daemon-queries-in-job" && id > 0) {
            answer = std::to_string(DaemonQueriesInJob(bus.Model(id)->Records()));
        } else if (verb == "unplug" && id > 0) {
            bus.Unplug(id);
        } else if (verb == "quit") {
            printf("done ok\n");
            return 0;
        } else {
            answer = "error: " + line;
        }
        printf("done %s\n", answer.c_str());
        fflush(stdout);
    }
    return 0;
}
