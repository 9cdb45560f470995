#include "filter_run.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <stdexcept>

namespace {

// Raster files and streams go into the program's private /tmp, which ends
// with it.
const std::string kWork = "/tmp";

std::vector<unsigned char> ReadFd(int fd)
{
    std::vector<unsigned char> bytes;
    lseek(fd, 0, SEEK_SET);
    unsigned char chunk[1 << 16];
    ssize_t n;
    while ((n = read(fd, chunk, sizeof chunk)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    return bytes;
}

[[noreturn]] void ChildFail(const char* what)
{
    perror(what);
    _exit(127);
}

}  // namespace

FilterProcess::FilterProcess(const FilterCall& call)
{
    outFd = memfd_create("filter-out", MFD_CLOEXEC);
    errFd = memfd_create("filter-err", MFD_CLOEXEC);
    if (outFd < 0 || errFd < 0)
        throw std::runtime_error("memfd_create failed");
    pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid != 0)
        return;
    // Child: the job file the backend would have written, then the filter.
    if (call.jobFile && !call.args.empty()) {
        FILE* f = fopen(JobFilePath(call.args[0].c_str()).c_str(), "w");
        if (f == nullptr)
            ChildFail("job file");
        fputs(call.jobFile->c_str(), f);
        fclose(f);
    }
    if (call.ppd.empty())
        unsetenv("PPD");
    else
        setenv("PPD", call.ppd.c_str(), 1);
    if (call.deviceUri.empty())
        unsetenv("DEVICE_URI");
    else
        setenv("DEVICE_URI", call.deviceUri.c_str(), 1);
    if (call.addressSpaceMb > 0) {
        const rlim_t bytes = static_cast<rlim_t>(call.addressSpaceMb) << 20;
        const struct rlimit limit = {bytes, bytes};
        setrlimit(RLIMIT_AS, &limit);
    }
    int in = call.stdinFd >= 0 ? call.stdinFd : open("/dev/null", O_RDONLY);
    dup2(in, 0);
    dup2(outFd, 1);
    dup2(errFd, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>("KORVANE-ZR"));
    for (const std::string& a : call.args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(KZR_FILTER_BIN, argv.data());
    ChildFail("execv");
}

FilterProcess::~FilterProcess()
{
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    if (outFd >= 0)
        close(outFd);
    if (errFd >= 0)
        close(errFd);
}

size_t FilterProcess::OutputSize() const
{
    struct stat st;
    return fstat(outFd, &st) == 0 ? static_cast<size_t>(st.st_size) : 0;
}

void FilterProcess::Signal(int signal) const
{
    kill(pid, signal);
}

bool FilterProcess::BlockedInRead() const
{
    std::ifstream syscall("/proc/" + std::to_string(pid) + "/syscall");
    long number = -1;
    return static_cast<bool>(syscall >> number) && number == SYS_read;
}

FilterResult FilterProcess::Wait()
{
    FilterResult result;
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFd(outFd);
    std::vector<unsigned char> err = ReadFd(errFd);
    result.err.assign(err.begin(), err.end());
    return result;
}

FilterResult RunFilter(const FilterCall& call)
{
    FilterProcess process(call);
    return process.Wait();
}

std::vector<std::string> JobArgs(const std::string& options, const std::string& file)
{
    // A job id of its own, so filters running side by side read their own job file.
    static int lastJob = 40;
    std::vector<std::string> args = {std::to_string(++lastJob), "tester", "photo", "1", options};
    if (!file.empty())
        args.push_back(file);
    return args;
}

std::string Raster(const std::string& mkrasterArgs)
{
    static std::map<std::string, std::string> made;
    auto found = made.find(mkrasterArgs);
    if (found != made.end())
        return found->second;
    const std::string path = kWork + "/raster-" + std::to_string(made.size()) + ".ras";
    const std::string command = std::string(KZR_MKRASTER_BIN) + " -o " + path + " " + mkrasterArgs;
    if (system(command.c_str()) != 0)
        throw std::runtime_error("zr_mkraster failed: " + command);
    made[mkrasterArgs] = path;
    return path;
}

std::string WorkFile(const std::string& name, const std::string& text)
{
    const std::string path = kWork + "/" + name;
    FILE* f = fopen(path.c_str(), "w");
    if (f == nullptr)
        throw std::runtime_error("cannot write " + path);
    fputs(text.c_str(), f);
    fclose(f);
    return path;
}

int RunInspector(const std::vector<unsigned char>& stream, std::string* output, const std::string& extraArgs)
{
    const std::string in = kWork + "/inspect-in.bin";
    FILE* f = fopen(in.c_str(), "wb");
    if (f == nullptr)
        return -1;
    fwrite(stream.data(), 1, stream.size(), f);
    fclose(f);
    const std::string command = std::string(KZR_INSPECT_BIN) + " " + extraArgs + " " + in + " 2>&1";
    FILE* p = popen(command.c_str(), "r");
    if (p == nullptr)
        return -1;
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0)
        text.append(buffer, n);
    const int status = pclose(p);
    if (output != nullptr)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

unsigned char PlaneAt(const PlaneInfo& plane, int row, int x)
{
    return plane.rows[static_cast<size_t>(plane.height - 1 - row) * plane.rowBytes + static_cast<size_t>(x)];
}

// Every test of this program runs in a private /tmp (scripts/lib/with_private_tmp.sh),
// where the filters' job files meet neither the machine's nor another test's.
int main(int argc, char** argv)
{
    bool listing = false;
    for (int i = 1; i < argc; ++i)
        listing = listing || strcmp(argv[i], "--gtest_list_tests") == 0;
    if (!listing && getenv("KZR_PRIVATE_TMP") == nullptr) {
        setenv("KZR_PRIVATE_TMP", "1", 1);
        std::vector<char*> args = {const_cast<char*>("sh"), const_cast<char*>(KZR_PRIVATE_TMP_SH),
                                   realpath("/proc/self/exe", nullptr)};
        args.insert(args.end(), argv + 1, argv + argc);
        args.push_back(nullptr);
        execv("/bin/sh", args.data());
        perror("private /tmp");
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
