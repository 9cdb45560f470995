#include "control_files.h"

#include "queue_registration.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTmpDir = "/tmp";

// Each name is looked up on its own: listing /tmp every second would cost
// whatever any user chose to pile up there.
bool Present(const std::string& name)
{
    const std::string path = std::string(kTmpDir) + "/" + name;
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
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
    const bool watched = Present(names.watch);
    if (Present(names.pause)) {
        // The backend is printing: leave the printer alone. A count request
        // stays where it is and is answered once the print is over.
        r->bPrinting = true;
        r->bCountRefresh = false;
        if (!watched)
            ClearMonitor(r);
        return 0;
    }
    int result = 0;
    if (watched) {
        result = 1;
        r->bMonitorSeen = true;
    } else {
        ClearMonitor(r);
    }
    if (Present(names.countRequest)) {
        // Removing a name in /tmp never follows a planted link. A request
        // without a watch file asks for nothing, but is used up all the same.
        unlink((std::string(kTmpDir) + "/" + names.countRequest).c_str());
        if (watched)
            result = 3;
    }
    r->bCountRefresh = false;
    if (r->bPrinting) {
        r->bPrinting = false;
        r->bCountRefresh = true;
    }
    return result;
}
