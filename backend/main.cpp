// korvane-zvobackend: the CUPS backend that carries a job's command stream
// to a ZR printer over USB.
//   no arguments:                    list attached ZR printers (lpinfo -v)
//   job user title copies options [file]
#include "backend_job.h"

#include <cups/backend.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The queue's copy limit (cupsMaxCopies in its PPD).
constexpr int kMaxCopies = 999;

// The copies argument: 1 for none or nonsense, -1 beyond the limit.
int CopiesArgument(const char* text)
{
    char* end = nullptr;
    errno = 0;
    const long copies = strtol(text, &end, 10);
    if (end == text || copies < 1)
        return 1;
    return errno == ERANGE || copies > kMaxCopies ? -1 : static_cast<int>(copies);
}

void OnTerm(int)
{
    gCancelled = 1;
}

void InstallSignals()
{
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = OnTerm;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read waiting for data returns, so cancelling is seen.
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stderr, nullptr, _IOLBF, 0);
    InstallSignals();
    if (argc == 1)
        return RunDiscovery(stdout, stderr);
    if (argc != 6 && argc != 7) {
        fprintf(stderr, "Usage: %s job-id user title copies options [file]\n", argv[0]);
        return CUPS_BACKEND_FAILED;
    }
    JobRequest job;
    const char* uri = getenv("DEVICE_URI");
    job.deviceUri = uri != nullptr ? uri : argv[0];
    job.jobId = argv[1];
    if (argc == 7) {
        // A file named on the command line is a job CUPS did not filter: it
        // carries its own copies.
        job.inputFd = open(argv[6], O_RDONLY | O_CLOEXEC);
        if (job.inputFd < 0) {
            fprintf(stderr, "ERROR: Cannot open the print file\n");
            return CUPS_BACKEND_FAILED;
        }
        job.copies = CopiesArgument(argv[4]);
        if (job.copies < 0) {
            fprintf(stderr, "ERROR: The job asks for %s copies; this printer makes at most %d\n", argv[4],
                kMaxCopies);
            return CUPS_BACKEND_FAILED;
        }
    }
    const int result = RunJob(job, stderr);
    if (job.inputFd > 0)
        close(job.inputFd);
    return result;
}
