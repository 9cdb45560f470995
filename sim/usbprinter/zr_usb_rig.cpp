// zr_usb_rig: runs a program (usually korvane_zr_usbd) against emulated ZR
// printers that a script plugs in, changes and pulls out.
//
//   umockdev-wrapper zr_usb_rig SCRIPT -- PROGRAM [ARGS...]
//   umockdev-wrapper zr_usb_rig -
//
// The second form owns the bus for a shell script that starts its own
// programs: it prints "env LD_PRELOAD=... UMOCKDEV_DIR=..." (what another
// program needs to see the bus), then takes script lines on standard input
// and answers each with one line "done <answer>" ("ok", "error: <line>", or
// what the line asks for).
//
// Script lines (blank lines and lines starting with '#' are skipped):
//   plug NAME [key=value...]   plug a printer in (keys as for "set", plus
//                              product=0x0006 and driver=bound|stuck)
//   set NAME key=value...      serial, status, firmware, counter, media,
//                              initial, remain, product-string, device-id,
//                              fault=none|silent|buserror|badheader|shortbody,
//                              print-ms, empty-status
//   unplug NAME
//   start                      start PROGRAM now (else before the first line)
//   sleep SECONDS
//   save-job NAME PATH         write the bytes NAME received as a print job
//   wait                       wait for PROGRAM to end
//   report                     print "report: opens=N requests=M serialised=yes"
//                              (or "serialised=no: <why>") for soaks
//   state NAME                 "status=S remain=R counter=C pending=P starts=N"
//   clear NAME                 forget the records NAME received so far
//   daemon-queries-in-job NAME queries only the daemon asks (firmware, counter,
//                              serial) that arrived between the job's first
//                              and last record
// When the script ends the rig stops PROGRAM (SIGTERM) and exits with its
// status (0 when the SIGTERM ended it).
#include "emulated_bus.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <thread>

namespace {

using zrsim::PrinterState;

bool IsJobRecord(const zrsim::ReceivedRecord& r)
{
    return r.name == "IMAGE" || r.name == "CNTRL";
}

// The daemon breaking into a job: its passes always ask for the firmware
// version; the backend's own status and media queries are allowed.
bool IsDaemonQuery(const zrsim::ReceivedRecord& r)
{
    return (r.name == "INFO" && (r.parameter == "FVER" || r.parameter == "SERIAL_NUMBER")) || r.name == "MNT_RD";
}

long DaemonQueriesInJob(const std::vector<zrsim::ReceivedRecord>& records)
{
    size_t first = records.size(), last = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        if (IsJobRecord(records[i])) {
            first = std::min(first, i);
            last = i;
        }
    }
    long queries = 0;
    for (size_t i = first; i < last; ++i)
        queries += IsDaemonQuery(records[i]) ? 1 : 0;
    return queries;
}

std::string StateLine(const zrsim::ZrPrinterModel& model)
{
    const PrinterState s = model.State();
    const auto records = model.Records();
    const long starts = std::count_if(records.begin(), records.end(),
        [](const zrsim::ReceivedRecord& r) { return r.name == "CNTRL" && r.parameter == "START"; });
    return "status=" + std::to_string(s.status) + " remain=" + s.mediaRemainReply.substr(4) +
        " counter=" + std::to_string(s.counter) + " pending=" + std::to_string(s.printsPending) +
        " starts=" + std::to_string(starts);
}

struct Rig {
    zrsim::EmulatedBus bus;
    std::map<std::string, int> names;
    pid_t child = -1;
    int childStatus = 0;  // wait status of the program once it ended
    char** program = nullptr;
    std::string answer;  // what a "state" or "daemon-queries-in-job" line asks for

    void Start()
    {
        if (child > 0 || program == nullptr)
            return;
        child = fork();
        if (child == 0) {
            execvp(program[0], program);
            _exit(127);
        }
    }

    bool Run(const std::string& line)
    {
        std::istringstream words(line);
        std::string verb, name;
        words >> verb >> name;
        std::vector<std::pair<std::string, std::string>> pairs;
        for (std::string w; words >> w;) {
            const size_t eq = w.find('=');
            if (eq == std::string::npos)
                pairs.emplace_back(w, "");
            else
                pairs.emplace_back(w.substr(0, eq), w.substr(eq + 1));
        }
        if (verb == "start") {
            Start();
        } else if (verb == "sleep") {
            std::this_thread::sleep_for(std::chrono::duration<double>(std::stod(name)));
        } else if (verb == "wait") {
            Start();
            waitpid(child, &childStatus, 0);
            child = -1;
        } else if (verb == "report") {
            const std::vector<zrsim::AccessEntry> log = bus.Log();
            const auto opens = std::count_if(log.begin(), log.end(),
                [](const zrsim::AccessEntry& e) { return e.kind == zrsim::AccessEntry::Open; });
            const std::string violation = bus.SerialisationViolation();
            printf("report: opens=%ld requests=%zu serialised=%s\n", static_cast<long>(opens), log.size(),
                violation.empty() ? "yes" : ("no: " + violation).c_str());
            fflush(stdout);
        } else if (verb == "plug") {
            PrinterState state;
            zrsim::DeviceOptions options;
            for (const auto& kv : pairs) {
                if (kv.first == "product")
                    options.product = static_cast<uint16_t>(std::stoul(kv.second, nullptr, 0));
                else if (kv.first == "driver") {
                    options.kernelDriverBound = true;
                    options.detachRefused = kv.second == "stuck";
                } else if (!zrsim::ApplySetting(state, kv.first, kv.second))
                    return false;
            }
            names[name] = bus.Plug(std::make_shared<zrsim::ZrPrinterModel>(state), options);
            printf("plugged %s %d\n", name.c_str(), names[name]);
            fflush(stdout);
        } else if (verb == "set" || verb == "unplug" || verb == "save-job" || verb == "state" || verb == "clear" ||
                   verb == "daemon-queries-in-job") {
            const auto it = names.find(name);
            if (it == names.end())
                return false;
            if (verb == "state") {
                answer = StateLine(*bus.Model(it->second));
            } else if (verb == "clear") {
                bus.Model(it->second)->ClearLogs();
            } else if (verb == "daemon-queries-in-job") {
                answer = std::to_string(DaemonQueriesInJob(bus.Model(it->second)->Records()));
            } else if (verb == "unplug") {
                bus.Unplug(it->second);
                // A pulled-out printer's access has ended for the serialisation
                // check: its interface is never released, and the emulation's
                // own notice of the closed device arrives at a later moment.
                bus.Record(it->second, zrsim::AccessEntry::Vanish);
            } else if (verb == "save-job") {
                if (pairs.empty())
                    return false;
                std::ofstream(pairs[0].first, std::ios::binary) << bus.Model(it->second)->JobBytes();
            } else {
                bool ok = true;
                bus.Model(it->second)->Update([&](PrinterState& s) {
                    for (const auto& kv : pairs)
                        ok = zrsim::ApplySetting(s, kv.first, kv.second) && ok;
                });
                return ok;
            }
        } else {
            return false;
        }
        return true;
    }
};

// Lines from standard input, each answered, until "quit" or the end of input.
int Serve(Rig& rig)
{
    printf("env LD_PRELOAD=%s UMOCKDEV_DIR=%s\n", getenv("LD_PRELOAD"), getenv("UMOCKDEV_DIR"));
    fflush(stdout);
    for (std::string line; std::getline(std::cin, line) && line != "quit";) {
        rig.answer = "ok";
        const bool ok = rig.Run(line);
        printf("done %s\n", ok ? rig.answer.c_str() : ("error: " + line).c_str());
        fflush(stdout);
    }
    printf("done ok\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool serving = argc == 2 && std::string(argv[1]) == "-";
    if (!serving && (argc < 4 || std::string(argv[2]) != "--")) {
        fprintf(stderr, "usage: umockdev-wrapper %s SCRIPT -- PROGRAM [ARGS...]\n"
                        "       umockdev-wrapper %s -\n", argv[0], argv[0]);
        return 2;
    }
    if (!zrsim::EmulatedBus::Available()) {
        fprintf(stderr, "%s: run me under umockdev-wrapper\n", argv[0]);
        return 2;
    }
    Rig rig;
    if (serving)
        return Serve(rig);
    std::ifstream script(argv[1]);
    if (!script) {
        fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 2;
    }
    rig.program = argv + 3;
    bool explicitStart = false;
    std::vector<std::string> lines;
    for (std::string line; std::getline(script, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        explicitStart = explicitStart || line.rfind("start", 0) == 0;
        lines.push_back(line);
    }
    if (!explicitStart)
        rig.Start();
    for (const std::string& line : lines) {
        if (!rig.Run(line)) {
            fprintf(stderr, "%s: bad script line: %s\n", argv[0], line.c_str());
            break;
        }
    }
    int status = rig.childStatus;
    if (rig.child > 0) {
        kill(rig.child, SIGTERM);
        waitpid(rig.child, &status, 0);
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM)
            return 0;  // stopped by the rig, as the script ended
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
