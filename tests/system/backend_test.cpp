// The real backend program against an emulated ZR printer. Runs as root in a
// private /tmp under umockdev-wrapper; the backend, started from here,
// inherits the emulated bus.
#include "emulated_bus.h"

#include <cups/backend.h>
#include <libusb.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

const std::string kUri = "korvane-zvobackend://KORVANE/ZR?serial=A1234";
const std::string kPause = "/tmp/Pause_korvane-zvobackend:__KORVANE_ZR?serial=A1234";
const std::string kJobFile = "/tmp/Print_17.log";

std::string Record(const std::string& name, const std::string& parameter, const std::string& data)
{
    char header[33];
    snprintf(header, sizeof header, "\x1bP%-6s%-16s", name.c_str(), parameter.c_str());
    std::string r(header, 24);
    if (data.empty())
        return r + "        ";
    char digits[21];
    snprintf(digits, sizeof digits, "%08zu", data.size());
    return r + digits + data;
}

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool WaitFor(const std::function<bool()>& done, double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// One run of the backend with its standard input on a pipe.
struct Backend {
    pid_t pid = -1;
    int input = -1;
    std::string log = "/tmp/backend-" + std::to_string(getpid()) + ".err";

    void Start(const std::vector<std::string>& args, const std::string& uri = kUri)
    {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        pid = fork();
        if (pid == 0) {
            dup2(fds[0], 0);
            const int err = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(err, 2);
            close(fds[1]);
            setenv("DEVICE_URI", uri.c_str(), 1);
            std::vector<char*> argv{const_cast<char*>(uri.c_str())};
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(KZR_BACKEND_PATH, argv.data());
            _exit(127);
        }
        close(fds[0]);
        input = fds[1];
    }
    void Write(const std::string& bytes) { ASSERT_EQ(write(input, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    void CloseInput()
    {
        if (input >= 0)
            close(input);
        input = -1;
    }
    int Wait()
    {
        CloseInput();
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::string Errors() const { return Slurp(log); }
};

std::vector<std::string> JobArgs() { return {"17", "alice", "photo", "1", ""}; }

class BackendTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(zrsim::EmulatedBus::Available()) << "run under umockdev-wrapper";
        signal(SIGPIPE, SIG_IGN);
        bus = std::make_unique<zrsim::EmulatedBus>();
    }
    std::shared_ptr<zrsim::ZrPrinterModel> Plug(const std::function<void(zrsim::PrinterState&)>& change = nullptr,
        zrsim::DeviceOptions options = zrsim::DeviceOptions())
    {
        zrsim::PrinterState state;
        if (change)
            change(state);
        return bus->Model(bus->Plug(std::make_shared<zrsim::ZrPrinterModel>(state), options));
    }
    std::unique_ptr<zrsim::EmulatedBus> bus;
};

// The whole contract of one job: pause file first, job file with the media
// reply, records unchanged in the daemon's chunking, both files gone after.
TEST_F(BackendTest, SendsTheJobUnchangedWhileItsFilesExist)
{
    auto other = Plug([](zrsim::PrinterState& s) { s.serial = "B777"; });
    auto printer = Plug([](zrsim::PrinterState& s) { s.mediaReply = "MS210"; }, {0x1343, 0x0005, true, false});
    std::string plane(70000, '\0');
    for (size_t i = 0; i < plane.size(); ++i)
        plane[i] = static_cast<char>(i * 7);
    const std::string first = Record("IMAGE", "MULTICUT", "00000001");
    const std::string rest = Record("IMAGE", "YPLANE", plane) + Record("CNTRL", "START", "");

    Backend b;
    b.Start(JobArgs());
    ASSERT_TRUE(WaitFor([] { return Exists(kJobFile); }, 10)) << b.Errors();
    EXPECT_TRUE(Exists(kPause));
    EXPECT_EQ(Slurp(kJobFile), "MEDIA_SIZE=\"210\"\n");
    struct stat st;
    // Readable by the filter's user, written by nobody else.
    ASSERT_EQ(lstat(kJobFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    ASSERT_EQ(lstat(kPause.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    b.Write(first);
    b.Write(rest);
    EXPECT_EQ(b.Wait(), CUPS_BACKEND_OK) << b.Errors();

    EXPECT_EQ(printer->JobBytes(), first + rest);
    // Each record goes out as the daemon sends its own, between the queries.
    const std::vector<size_t> chunks = printer->OutChunks();
    const std::vector<size_t> records = {40, 65536, 70032 - 65536 - 256, 256};
    EXPECT_NE(std::search(chunks.begin(), chunks.end(), records.begin(), records.end()), chunks.end());
    EXPECT_TRUE(other->JobBytes().empty());
    EXPECT_FALSE(Exists(kJobFile));
    EXPECT_FALSE(Exists(kPause));
    EXPECT_NE(b.Errors().find("STATE: +connecting-to-device"), std::string::npos);
    EXPECT_NE(b.Errors().find("INFO: Print data sent"), std::string::npos);
}

// Run without arguments it lists ZR printers only, with their device URIs.
TEST_F(BackendTest, ListsAttachedZrPrinters)
{
    Plug();
    Plug([](zrsim::PrinterState& s) { s.serial = "C5"; s.productString = "KORVANE ZR"; });
    Plug([](zrsim::PrinterState& s) { s.serial = "$(reboot)"; });
    Plug([](zrsim::PrinterState& s) { s.serial = "D6"; s.deviceId = "MFG:KORVANE;MDL:ZR;"; });
    // One character too long for the daemon: not cut down to a name it never said.
    Plug([](zrsim::PrinterState& s) { s.serial = std::string(64, 'Z'); });
    const std::string out = [] {
        FILE* p = popen(KZR_BACKEND_PATH, "r");
        std::string text;
        char buffer[512];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;)
            text.append(buffer, n);
        EXPECT_EQ(pclose(p), 0);
        return text;
    }();
    EXPECT_EQ(out,
        "direct " + kUri +
            " \"KORVANE ZR\" \"KORVANE ZR (serial A1234)\" "
            "\"MFG:KORVANE;MANUFACTURER:KORVANE;MODEL:ZR;CLASS:PRINTER;COMMAND SET:KZR;\" \"\"\n");
}

// SIGTERM while the job waits for data: nothing more goes out, files go.
TEST_F(BackendTest, CancellationStopsAndCleansUp)
{
    auto printer = Plug();
    Backend b;
    b.Start(JobArgs());
    ASSERT_TRUE(WaitFor([] { return Exists(kJobFile); }, 10)) << b.Errors();
    b.Write(Record("IMAGE", "MULTICUT", "00000002"));
    b.Write(Record("IMAGE", "YPLANE", "").substr(0, 20));
    ASSERT_TRUE(WaitFor([&] { return !printer->JobBytes().empty(); }, 10));
    kill(b.pid, SIGTERM);
    EXPECT_EQ(b.Wait(), CUPS_BACKEND_OK);
    EXPECT_EQ(printer->JobBytes(), Record("IMAGE", "MULTICUT", "00000002"));
    EXPECT_FALSE(Exists(kJobFile));
    EXPECT_FALSE(Exists(kPause));
    EXPECT_NE(b.Errors().find("INFO: Job cancelled"), std::string::npos);
}

// Links planted at the backend's names in /tmp are replaced, not followed;
// the media is unknown when the printer does not say; input that is not
// made of records is refused and never reaches the printer.
TEST_F(BackendTest, PlantedLinksUnknownMediaAndRawData)
{
    auto printer = Plug([](zrsim::PrinterState& s) { s.mediaReply = "M"; });
    std::ofstream("/tmp/victim") << "keep";
    ASSERT_EQ(symlink("/tmp/victim", kJobFile.c_str()), 0);
    ASSERT_EQ(symlink("/tmp/victim", kPause.c_str()), 0);
    Backend b;
    b.Start(JobArgs());
    ASSERT_TRUE(WaitFor([] {
        struct stat st;
        return lstat(kJobFile.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }, 10)) << b.Errors();
    EXPECT_EQ(Slurp(kJobFile), "MEDIA_SIZE=\"\"\n");
    const std::string raw = "not a record at all, but bytes all the same\n";
    b.Write(raw);
    EXPECT_EQ(b.Wait(), CUPS_BACKEND_FAILED) << b.Errors();
    EXPECT_NE(b.Errors().find("ERROR: The print data is not a ZR command stream; nothing was sent"),
        std::string::npos) << b.Errors();
    EXPECT_TRUE(printer->JobBytes().empty());
    EXPECT_EQ(Slurp("/tmp/victim"), "keep");
    EXPECT_FALSE(Exists(kJobFile));
    EXPECT_FALSE(Exists(kPause));
}

const std::string kTwoPrints = Record("IMAGE", "MULTICUT", "00000002") + Record("CNTRL", "START", "") +
    Record("IMAGE", "MULTICUT", "00000002") + Record("CNTRL", "START", "");

// A URI that is not this backend's, or a serial number that may not name a
// file, stops the queue and creates nothing.
TEST_F(BackendTest, RefusesForeignUrisAndHostileSerials)
{
    Plug();
    for (const std::string& uri : {std::string("usb://KORVANE/ZR?serial=A1234"),
             std::string("korvane-zvobackend://KORVANE/ZR?serial=../../etc/x"),
             std::string("korvane-zvobackend://KORVANE/ZR?serial=")}) {
        Backend b;
        b.Start(JobArgs(), uri);
        EXPECT_EQ(b.Wait(), CUPS_BACKEND_STOP) << uri;
        EXPECT_NE(b.Errors().find("ERROR: "), std::string::npos);
    }
    Backend badJob;
    badJob.Start({"../17", "alice", "photo", "1", ""});
    EXPECT_EQ(badJob.Wait(), CUPS_BACKEND_FAILED);
    EXPECT_FALSE(Exists(kPause));

    // A file printed with more copies than the queue allows.
    std::ofstream("/tmp/job.zr") << Record("CNTRL", "START", "");
    Backend tooMany;
    tooMany.Start({"17", "alice", "photo", "1000", "", "/tmp/job.zr"});
    EXPECT_EQ(tooMany.Wait(), CUPS_BACKEND_FAILED);
    EXPECT_NE(tooMany.Errors().find("ERROR: "), std::string::npos);
    EXPECT_FALSE(Exists(kPause));
}

// Interface 0 held by a driver that cannot be detached stays busy: the
// backend waits the daemon's longest access, then asks CUPS to retry later,
// holding the pause file meanwhile and sending nothing.
TEST_F(BackendTest, WaitsForABusyInterfaceThenRetries)
{
    auto printer = Plug(nullptr, {0x1343, 0x0005, true, true});
    Backend b;
    const auto start = std::chrono::steady_clock::now();
    b.Start(JobArgs());
    ASSERT_TRUE(WaitFor([] { return Exists(kPause); }, 5));
    std::this_thread::sleep_for(std::chrono::seconds(20));
    EXPECT_TRUE(Exists(kPause)) << "still waiting after 20 s";
    EXPECT_FALSE(Exists(kJobFile));
    EXPECT_EQ(b.Wait(), CUPS_BACKEND_RETRY) << b.Errors();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(29));
    EXPECT_TRUE(printer->JobBytes().empty());
    EXPECT_FALSE(Exists(kPause));
    EXPECT_NE(b.Errors().find("ERROR: The printer stayed busy"), std::string::npos);
}

// The daemon may be inside an access when the backend starts: the backend
// waits for interface 0 and prints once the daemon lets go, and the two
// never see each other's transfers.
TEST_F(BackendTest, PrintsOnceTheDaemonLetsGoOfTheInterface)
{
    auto printer = Plug();
    libusb_context* daemon = nullptr;
    ASSERT_EQ(libusb_init(&daemon), 0);
    libusb_device_handle* access = libusb_open_device_with_vid_pid(daemon, 0x1343, 0x0005);
    ASSERT_NE(access, nullptr);
    ASSERT_EQ(libusb_claim_interface(access, 0), 0);
    // The daemon's query is answered while the backend waits for the claim.
    unsigned char reply[64];
    int moved = 0;
    const std::string query = Record("INFO", "SERIAL_NUMBER", "");
    ASSERT_EQ(libusb_bulk_transfer(access, 0x01, reinterpret_cast<unsigned char*>(const_cast<char*>(query.data())),
                  static_cast<int>(query.size()), &moved, 1000), 0);

    Backend b;
    b.Start(JobArgs());
    ASSERT_TRUE(WaitFor([] { return Exists(kPause); }, 5)) << b.Errors();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_FALSE(Exists(kJobFile)) << "the backend got in while the daemon held the printer";
    ASSERT_EQ(libusb_bulk_transfer(access, 0x82, reply, sizeof reply, &moved, 1000), 0);
    EXPECT_NE(std::string(reinterpret_cast<char*>(reply), static_cast<size_t>(moved)).find("A1234"), std::string::npos);
    libusb_release_interface(access, 0);
    libusb_close(access);
    libusb_exit(daemon);

    ASSERT_TRUE(WaitFor([] { return Exists(kJobFile); }, 5)) << b.Errors();
    const std::string job = Record("IMAGE", "MULTICUT", "00000002") + Record("CNTRL", "START", "");
    b.Write(job);
    EXPECT_EQ(b.Wait(), CUPS_BACKEND_OK) << b.Errors();
    EXPECT_EQ(printer->JobBytes(), job);
    EXPECT_FALSE(Exists(kPause));
}

}  // namespace
