// Stand-in for the print backend of the korvane-zvobackend URI scheme.
// It does what the filter and the USB daemon rely on a real backend for -
// announces each job in /tmp/Print_<job>.log, holds the printer's pause file
// while the job's stream flows, and passes the stream on unchanged - but
// hands the stream to a folder instead of a USB printer, so tests and the
// demo can read exactly what the printer would have received.
#include "backend_config.h"
#include "replace_file.h"
#include "shared_files.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

// CUPS backend exit codes.
constexpr int kBackendOk = 0;
constexpr int kBackendFailed = 1;

constexpr const char* kScheme = "korvane-zvobackend://";

volatile sig_atomic_t gCanceled = 0;

void OnTerminate(int) { gCanceled = 1; }

// Without a signal restart, a read blocked on the stream returns at once
// when CUPS cancels the job.
void InstallCancelHandler()
{
    struct sigaction sa {};
    sa.sa_handler = OnTerminate;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

// The stream file of a job that did not finish must disappear; the job and
// pause files remove themselves (TmpFile).
struct PartialFile {
    std::string path;
    ~PartialFile()
    {
        if (!path.empty()) unlink(path.c_str());
    }
};

std::string JobFileText(const std::string& jobId, const BackendConfig& config)
{
    std::string text = KeyValueLine("JOB_ID", jobId);
    if (config.hasMediaSize) text += KeyValueLine("MEDIA_SIZE", config.mediaSize);
    return text;
}

// Copies the stream to `out` (or drops it when out is -1). Returns the
// number of bytes, or -1 when reading or writing failed or the job was
// cancelled.
long long CopyStream(int in, int out)
{
    static char buffer[1 << 16];
    long long total = 0;
    for (;;) {
        if (gCanceled) return -1;
        const ssize_t n = read(in, buffer, sizeof buffer);
        if (n == 0) return total;
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (out >= 0 && !WriteAll(out, std::string(buffer, static_cast<size_t>(n)))) return -1;
        total += n;
    }
}

void HoldFor(unsigned ms)
{
    const timespec step{0, 20 * 1000 * 1000};
    for (unsigned waited = 0; waited < ms && !gCanceled; waited += 20) nanosleep(&step, nullptr);
}

int Fail(const char* what)
{
    std::fprintf(stderr, "ERROR: %s: %s\n", what, std::strerror(errno));
    return kBackendFailed;
}

// `announce`: our own scheme, which holds the pause file and announces the
// job; a backend of any other scheme only takes the stream.
int RunJob(const std::string& jobId, const std::string& uri, int input, bool announce)
{
    BackendConfig config;
    if (const char* path = std::getenv(kBackendConfigEnv)) {
        std::string error;
        if (!LoadBackendConfig(path, config, error)) {
            std::fprintf(stderr, "ERROR: %s\n", error.c_str());
            return kBackendFailed;
        }
    }
    const std::string jobPath = JobFilePath(jobId.c_str());
    const std::string pausePath = PauseFilePathForUri(uri);
    if (announce && (jobPath.empty() || pausePath.empty())) {
        std::fprintf(stderr, "ERROR: unusable job id or device URI\n");
        return kBackendFailed;
    }

    // The pause file goes first: by the time the filter sees the job file
    // and starts sending, the daemon has already been told to keep away.
    TmpFile pause, job;
    if (announce) {
        if (!pause.Create(pausePath, std::string())) return Fail("cannot create the pause file");
        if (!job.Create(jobPath, JobFileText(jobId, config))) return Fail("cannot create the job file");
    }
    PartialFile partial;

    int out = -1;
    std::string finalPath;
    if (!config.outputDir.empty()) {
        finalPath = config.outputDir + "/job-" + jobId + ".zr";
        const std::string partialPath = finalPath + ".part";
        out = open(partialPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (out < 0) return Fail("cannot create the stream file");
        partial.path = partialPath;
    }
    std::fprintf(stderr, "INFO: Printing job %s\n", jobId.c_str());
    const long long bytes = CopyStream(input, out);
    if (out >= 0 && close(out) != 0 && bytes >= 0) return Fail("cannot write the stream file");
    if (bytes < 0) {
        std::fprintf(stderr, gCanceled ? "INFO: Job canceled\n" : "ERROR: stream lost\n");
        return gCanceled ? kBackendOk : kBackendFailed;
    }
    // Only a complete stream gets the final name, so readers never see half.
    if (out >= 0) {
        if (rename(partial.path.c_str(), finalPath.c_str()) != 0) return Fail("cannot publish the stream file");
        partial.path.clear();
    }
    HoldFor(config.holdMs);
    std::fprintf(stderr, "INFO: Printed %lld bytes\n", bytes);
    return kBackendOk;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 1) {
        // Device discovery: the scheme takes any serial number, so offer it
        // without one, as a network backend does.
        std::puts("direct korvane-zvobackend \"Unknown\" \"KORVANE ZR (stand-in backend)\"");
        return kBackendOk;
    }
    if (argc != 6 && argc != 7) {
        std::fprintf(stderr, "Usage: %s job-id user title copies options [file]\n", argv[0]);
        return kBackendFailed;
    }
    const char* env = std::getenv("DEVICE_URI");
    const std::string uri = env ? env : argv[0];
    // Installed under another name, it stands in for a foreign backend.
    const bool ours = uri.compare(0, std::strlen(kScheme), kScheme) == 0;
    InstallCancelHandler();
    int input = STDIN_FILENO;
    if (argc == 7) {
        input = open(argv[6], O_RDONLY | O_CLOEXEC);
        if (input < 0) return Fail("cannot open the print file");
    }
    const int status = RunJob(argv[1], uri, input, ours);
    if (input != STDIN_FILENO) close(input);
    return status;
}
