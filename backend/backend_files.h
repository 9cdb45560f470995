// The backend's two files in /tmp: the job file that tells the filter the
// loaded media, and the pause file that keeps the daemon away from the
// printer while a job is sent. Others (the filter as user lp, the daemon)
// read or look for them, so they are created with mode 0644: readable by all,
// written by the backend alone. /tmp is shared with every user, so they are
// never opened through a planted link.
#pragma once

#include <sys/types.h>

#include <string>

// "/tmp/Print_<job>.log"; empty unless the job id is 1-20 decimal digits.
// (In the backend's namespace: the filter, linked beside it in the Printer
// Application, has its own reader's version of the name.)
namespace zr_backend {
std::string JobFilePath(const char* jobId);
}
// "/tmp/Pause_" + device URI with each '/' turned into '_'; empty for a
// serial number that may not name a file.
std::string PauseFilePath(const char* serial);

// A file this process created in /tmp, removed again when the object ends
// (only if the name still holds the file that was created).
class TmpFile {
public:
    TmpFile() = default;
    ~TmpFile();
    TmpFile(const TmpFile&) = delete;
    TmpFile& operator=(const TmpFile&) = delete;

    // Creates `path` afresh with `text`, mode 0644, in one step: a leftover
    // entry of that name (a stale file, a planted symlink) is replaced, never
    // followed. False when refused.
    bool Create(const std::string& path, const std::string& text);
    void Remove();
    const std::string& Path() const { return path; }

private:
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
};
