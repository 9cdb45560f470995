#include "control_files.h"

#include "queue_registration.h"

#include <dirent.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTmpDir = "/tmp";

bool Begins(const char* name, const std::string& expected)
{
    return strncmp(name, expected.c_str(), expected.size()) == 0;
}

void ClearMonitor(thdata* r)
{
    r->bMonitorSeen = false;
    r->bMonitorCountRead = false;
}

}  // namespace

ControlNames MakeControlNames(const char* serial)
{
    ControlNames names;
    char name[128];
    snprintf(name, sizeof name, "%s_%s_UTIL", "ZR", serial);
    names.watch = name;
    snprintf(name, sizeof name, "%s_%s_TC_UTIL", "ZR", serial);
    names.countRequest = name;
    std::string pause = "Pause_" + DeviceUri(serial);
    for (char& c : pause)
        if (c == '/')
            c = '_';
    names.pause = pause;
    return names;
}

int fileCheck(thdata* r)
{
    const ControlNames names = MakeControlNames(r->serialNo);
    int result = 0;
    DIR* dir = opendir(kTmpDir);
    if (dir == nullptr) {
        ClearMonitor(r);
    } else {
        int flags = 0;
        while (const dirent* entry = readdir(dir)) {
            if (Begins(entry->d_name, names.watch)) {
                flags |= 1;
                r->bMonitorSeen = true;
            }
            if (Begins(entry->d_name, names.countRequest)) {
                flags |= 2;
                // Removing a name in /tmp never follows a planted link.
                const std::string path = std::string(kTmpDir) + "/" + names.countRequest;
                remove(path.c_str());
            }
            if (Begins(entry->d_name, names.pause)) {
                // The backend is printing: leave the printer alone.
                r->bPrinting = true;
                closedir(dir);
                r->bCountRefresh = false;
                if (flags == 0)
                    ClearMonitor(r);
                return 0;
            }
        }
        closedir(dir);
        if (flags == 0)
            ClearMonitor(r);
        // A count request without a watch file asks for nothing.
        result = (flags & 1) ? flags : 0;
    }
    r->bCountRefresh = false;
    if (r->bPrinting) {
        r->bPrinting = false;
        r->bCountRefresh = true;
    }
    return result;
}
