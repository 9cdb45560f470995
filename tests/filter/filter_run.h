// Runs the real filter process the way CUPS does, with the print backend's job
// file already in place. The job file folder is /tmp, so the test program runs
// in a private /tmp (a new mount namespace with a tmpfs on it), which needs root.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "shared_files.h"
#include "stream_check.h"

struct FilterCall {
    std::vector<std::string> args;          // argv[1..]; argv[0] is the queue name
    std::string ppd;                        // value of PPD, unset when empty
    std::optional<std::string> jobFile;     // content of the job file of job args[0]
    int stdinFd = -1;                       // raster on standard input when >= 0
    long addressSpaceMb = 0;                // limit on the filter's memory, 0 none
    std::string deviceUri;                  // value of DEVICE_URI, unset when empty
};

struct FilterResult {
    int status = -1;                        // exit status, or -1 when killed
    std::vector<unsigned char> out;
    std::string err;
    StreamReport Inspect() const { return InspectJobStream(out.data(), out.size()); }
};

class FilterProcess {
public:
    explicit FilterProcess(const FilterCall& call);
    ~FilterProcess();
    FilterProcess(const FilterProcess&) = delete;
    FilterProcess& operator=(const FilterProcess&) = delete;
    // Bytes written to standard output so far.
    size_t OutputSize() const;
    void Signal(int signal) const;
    // True once the filter waits inside a read() system call.
    bool BlockedInRead() const;
    FilterResult Wait();

private:
    pid_t pid = -1;
    int outFd = -1, errFd = -1;
};

FilterResult RunFilter(const FilterCall& call);
// The standard arguments of a new job with `options`, plus a file.
std::vector<std::string> JobArgs(const std::string& options, const std::string& file = std::string());

// Makes (once per distinct argument list) a raster file with zr_mkraster and
// answers its path.
std::string Raster(const std::string& mkrasterArgs);
// Writes `text` into a file of the test's work folder and answers its path.
std::string WorkFile(const std::string& name, const std::string& text);
// Runs the inspector program over a stream; answers its exit status and output.
int RunInspector(const std::vector<unsigned char>& stream, std::string* output, const std::string& extraArgs = "");

// The plane byte at sheet row `row` (counted from the top) and column `x`.
unsigned char PlaneAt(const PlaneInfo& plane, int row, int x);
