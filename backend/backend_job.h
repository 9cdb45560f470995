// The two things CUPS asks of a backend: list the printers it can reach
// (no arguments) and carry one job to its printer (job arguments). Both
// answer a CUPS backend exit code and report through `log` with the
// STATE:/INFO:/ERROR:/DEBUG: lines the scheduler reads from stderr.
#pragma once

#include <csignal>
#include <cstdio>
#include <string>

extern volatile std::sig_atomic_t gCancelled;

// One "direct korvane-zvobackend://..." line per attached ZR printer.
int RunDiscovery(FILE* out, FILE* log);

struct JobRequest {
    std::string deviceUri;
    std::string jobId;
    int copies = 1;
    int inputFd = 0;  // standard input, or the opened print file
};

int RunJob(const JobRequest& job, FILE* log);

// Serial number of a device URI of this backend; empty when the URI is not
// one or its serial number is not acceptable.
std::string SerialOfUri(const std::string& uri);
