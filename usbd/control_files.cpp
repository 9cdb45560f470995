#include "control_files.h"

#include "shared_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

// Each name is looked up on its own: listing /tmp every second would cost
// whatever any user chose to pile up there.
bool Present(const std::string& name)
{
    const std::string path = SharedTmpPath(name);
    struct stat st;
    return !path.empty() && lstat(path.c_str(), &st) == 0;
}

void ClearMonitor(thdata* r)
{
    r->bMonitorSeen = false;
    r->bMonitorCountRead = false;
}

}  // namespace

int fileCheck(thdata* r)
{
    const std::string countRequest = CountRequestName(r->serialNo);
    const bool watched = Present(WatchFileName(r->serialNo));
    if (Present(PauseFileName(r->serialNo))) {
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
    if (Present(countRequest)) {
        // Removing a name in /tmp never follows a planted link. A request
        // without a watch file asks for nothing, but is used up all the same.
        unlink(SharedTmpPath(countRequest).c_str());
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
