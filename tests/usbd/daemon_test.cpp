// The real korvane_zr_usbd against emulated printers and the private
// scheduler of with_cupsd.sh, in a private /tmp: the test binary runs as root
// under unshare -m (tmpfs on /tmp), with_cupsd.sh and umockdev-wrapper, one
// test (and one scheduler) at a time.
#include "emulated_bus.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;
using zrsim::PrinterState;

// Polls `done` every 50 ms until it holds or `seconds` have passed.
bool WaitUntil(const std::function<bool()>& done, double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (done())
            return true;
        std::this_thread::sleep_for(50ms);
    }
    return done();
}

// The file's text, or "(none)" when it cannot be read.
std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return in ? text.str() : "(none)";
}

void Touch(const std::string& path)
{
    std::ofstream(path) << "";
}

bool Exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// A printer's information file; the rest in the emulated printer's defaults.
struct InfoValues {
    explicit InfoValues(std::string serial, std::string status = "00000", std::string message = "00001")
        : serial(std::move(serial)), status(std::move(status)), message(std::move(message)) {}
    std::string serial;
    std::string status;
    std::string message;
    std::string model = "ZR";
    std::string version = "1.53";
    std::string mediaSize = "310";
    std::string mediaInitial = "400";
    std::string mediaRemain = "123";
    std::string count;
};

// The information file's exact text for these values.
std::string InfoText(const InfoValues& v)
{
    return "#PRINTER_INFORMATION\nMODEL=\"" + v.model + "\"\nPRINTER_STATUS=\"" + v.status +
        "\"\nPRINTER_MESSAGE=\"" + v.message + "\"\nPRINTER_VERSION=\"" + v.version + "\"\nPRINTER_SERIAL_NO=\"" +
        v.serial + "\"\n\n#MEDIA_INFORMATION\nMEDIA_SIZE=\"" + v.mediaSize + "\"\nMEDIA_INITIAL=\"" +
        v.mediaInitial + "\"\nMEDIA_REMAIN=\"" + v.mediaRemain + "\"\n\n#COUNTER_INFORMATION\nTOTAL_COUNT=\"" +
        v.count + "\"\n\n";
}

// The file of a printer that cannot be reached; the model stays while it is
// still plugged in.
std::string OfflineText(const std::string& model = "")
{
    InfoValues v("", "99999", "00006");
    v.model = model;
    v.version = v.mediaSize = v.mediaInitial = v.mediaRemain = "";
    return InfoText(v);
}

std::string InfoPath(const std::string& serial) { return "/tmp/ZR_" + serial + ".log"; }
std::string WatchFile(const std::string& serial) { return "/tmp/ZR_" + serial + "_UTIL"; }
std::string CountRequestFile(const std::string& serial) { return "/tmp/ZR_" + serial + "_TC_UTIL"; }
std::string PauseFile(const std::string& serial)
{
    return "/tmp/Pause_korvane-zvobackend:__KORVANE_ZR?serial=" + serial;
}

// Waits until the printer's information file reads `text`.
::testing::AssertionResult FileBecomes(const std::string& serial, const std::string& text, double seconds)
{
    if (WaitUntil([&] { return ReadWhole(InfoPath(serial)) == text; }, seconds))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << InfoPath(serial) << " reads " << ReadWhole(InfoPath(serial));
}

std::string CommandOutput(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[512];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, p)) > 0)
            out.append(buffer, n);
        pclose(p);
    }
    return out;
}

// Command lines the daemon ran through the logging lpadmin, one a line.
std::string CommandLog()
{
    return ReadWhole(std::string(getenv("KZR_CUPSD_DIR")) + "/commands.log");
}

long Commands()
{
    const std::string log = CommandLog();
    return std::count(log.begin(), log.end(), '\n');
}

class DaemonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(zrsim::EmulatedBus::Available()) << "run under umockdev-wrapper";
        ASSERT_NE(getenv("KZR_CUPSD_DIR"), nullptr) << "run under with_cupsd.sh";
        bus = std::make_unique<zrsim::EmulatedBus>();
    }

    void TearDown() override
    {
        if (daemon > 0) {
            kill(daemon, SIGKILL);
            waitpid(daemon, nullptr, 0);
        }
        if (bus && checkSerialised) {
            EXPECT_EQ(bus->SerialisationViolation(), "");
        }
        bus.reset();
    }

    void StartDaemon()
    {
        daemon = fork();
        if (daemon == 0) {
            execl(KZR_USBD_PATH, "korvane_zr_usbd", static_cast<char*>(nullptr));
            _exit(127);
        }
    }

    // Plugs a ZR printer with this serial; `change` adjusts its state first.
    int Plug(const std::string& serial, const std::function<void(PrinterState&)>& change = nullptr,
        zrsim::DeviceOptions options = zrsim::DeviceOptions())
    {
        PrinterState state;
        state.serial = serial;
        if (change)
            change(state);
        return bus->Plug(std::make_shared<zrsim::ZrPrinterModel>(state), options);
    }

    // Waits until a queue with this serial in its URI exists; answers its
    // name, from lpstat's "device for NAME: URI".
    std::string WaitForQueue(const std::string& serial, double seconds = 15)
    {
        const std::string lead = "device for ";
        const std::string tail = ": korvane-zvobackend://KORVANE/ZR?serial=" + serial;
        std::string name;
        WaitUntil(
            [&] {
                std::istringstream lines(CommandOutput("lpstat -v 2>/dev/null"));
                std::string line;
                while (std::getline(lines, line))
                    if (line.size() > lead.size() + tail.size() && line.rfind(lead, 0) == 0 &&
                        line.compare(line.size() - tail.size(), tail.size(), tail) == 0)
                        name = line.substr(lead.size(), line.size() - lead.size() - tail.size());
                return !name.empty();
            },
            seconds);
        return name;
    }

    std::unique_ptr<zrsim::EmulatedBus> bus;
    pid_t daemon = -1;
    // The access log's serialisation check relies on every access releasing
    // interface 0; tests with devices that are never claimed turn it off.
    bool checkSerialised = true;
};

TEST_F(DaemonTest, RegistersQueuesAndWritesTheFileAsPrintersComeAndGo)
{
    Plug("A1234");
    StartDaemon();
    EXPECT_EQ(WaitForQueue("A1234"), "KORVANE-ZR");
    const int b = Plug("B2");
    EXPECT_EQ(WaitForQueue("B2"), "KORVANE-ZR-2");
    Plug("C3");
    EXPECT_EQ(WaitForQueue("C3"), "KORVANE-ZR-3");
    EXPECT_EQ(Commands(), 3);
    EXPECT_NE(CommandLog().find("\nlpadmin -p KORVANE-ZR-2 -E -D KORVANE ZR 2 -m KORVANE_ZR.ppd -v "
                                "korvane-zvobackend://KORVANE/ZR?serial=B2 -o printer-is-shared=false "
                                "-o print-scaling-default=fill\n"),
        std::string::npos)
        << CommandLog();

    bus->Unplug(b);
    EXPECT_TRUE(FileBecomes("B2", OfflineText(), 5));

    // Plugged in again, the printer finds its queue: no new lpadmin.
    Plug("B2", [](PrinterState& s) { s.status = 1000; });
    EXPECT_TRUE(FileBecomes("B2", InfoText(InfoValues("B2", "01000", "00100")), 6));
    EXPECT_EQ(Commands(), 3);
}

TEST_F(DaemonTest, ControlFilesSteerPolling)
{
    const int a = Plug("A1234");
    StartDaemon();
    ASSERT_EQ(WaitForQueue("A1234"), "KORVANE-ZR");
    // Before anyone watches, the counter read during registration stays private.
    ASSERT_TRUE(FileBecomes("A1234", InfoText(InfoValues("A1234")), 5));
    auto model = bus->Model(a);

    // A watch file starts polling; its first pass reads the counter.
    Touch(WatchFile("A1234"));
    model->Update([](PrinterState& s) { s.status = 1000; });
    InfoValues v("A1234", "01000", "00100");
    v.count = "5678";
    EXPECT_TRUE(FileBecomes("A1234", InfoText(v), 4));

    // Later passes do not read it again until asked.
    model->Update([](PrinterState& s) { s.counter = 6000; });
    const int opens = bus->Opens(a);
    EXPECT_TRUE(WaitUntil([&] { return bus->Opens(a) >= opens + 2; }, 5));
    EXPECT_EQ(ReadWhole(InfoPath("A1234")), InfoText(v));
    Touch(CountRequestFile("A1234"));
    v.count = "6000";
    EXPECT_TRUE(FileBecomes("A1234", InfoText(v), 4));

    // A print ending (status 1, then anything else) re-reads the counter.
    model->Update([](PrinterState& s) { s.status = 1; });
    v.status = "00001";
    v.message = "00002";
    EXPECT_TRUE(FileBecomes("A1234", InfoText(v), 4));
    model->Update([](PrinterState& s) {
        s.status = 1000;
        s.counter = 6500;
    });
    v.status = "01000";
    v.message = "00100";
    v.count = "6500";
    EXPECT_TRUE(FileBecomes("A1234", InfoText(v), 4));

    // While the backend prints, the printer is not touched; afterwards the
    // counter is read again.
    Touch(PauseFile("A1234"));
    std::this_thread::sleep_for(1500ms);
    bus->ClearLog();
    model->Update([](PrinterState& s) { s.counter = 6001; });
    std::this_thread::sleep_for(2500ms);
    EXPECT_EQ(bus->Opens(a), 0);
    unlink(PauseFile("A1234").c_str());
    v.count = "6001";
    EXPECT_TRUE(FileBecomes("A1234", InfoText(v), 4));

    // Without the watch file polling stops; a lone count request is only deleted.
    unlink(WatchFile("A1234").c_str());
    std::this_thread::sleep_for(1500ms);
    bus->ClearLog();
    Touch(CountRequestFile("A1234"));
    EXPECT_TRUE(WaitUntil([] { return !Exists(CountRequestFile("A1234")); }, 3));
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(bus->Opens(a), 0);
}

TEST_F(DaemonTest, KernelDriverIsDetachedOnce)
{
    // The refused detach leaves an access without a claim or release.
    checkSerialised = false;
    zrsim::DeviceOptions bound;
    bound.kernelDriverBound = true;
    const int k1 = Plug("K1", nullptr, bound);
    zrsim::DeviceOptions stuck = bound;
    stuck.detachRefused = true;
    const int k2 = Plug("K2", nullptr, stuck);
    StartDaemon();
    ASSERT_EQ(WaitForQueue("K1"), "KORVANE-ZR");
    Touch(WatchFile("K1"));
    // Three watched passes open K1 three times; only the first detaches.
    EXPECT_TRUE(WaitUntil([&] { return bus->Opens(k1) >= 3; }, 10));
    int detaches = 0;
    int k2Claims = 0;
    for (const auto& e : bus->Log()) {
        detaches += e.device == k1 && e.kind == zrsim::AccessEntry::Detach;
        k2Claims += e.device == k2 && e.kind == zrsim::AccessEntry::Claim;
    }
    EXPECT_EQ(detaches, 1);
    // A printer whose driver cannot be detached is never claimed or asked.
    EXPECT_EQ(k2Claims, 0);
    EXPECT_TRUE(bus->Model(k2)->Records().empty());
}

TEST_F(DaemonTest, ForeignAndHostileDevices)
{
    // Devices that are not a ZR: another product string, a device ID
    // without the full names, another product id.
    Plug("L1", [](PrinterState& s) { s.productString = "KORVANE Label Printer"; });
    Plug("M1", [](PrinterState& s) { s.deviceId = "MFG:KORVANE;MDL:ZR;"; });
    zrsim::DeviceOptions otherProduct;
    otherProduct.product = 0x0006;
    const int other = Plug("P6", nullptr, otherProduct);
    // A queue of another printer whose serial begins with STALL1's.
    ASSERT_EQ(system("/usr/sbin/lpadmin -p KORVANE-ZR -E -m KORVANE_ZR.ppd -v "
                     "'korvane-zvobackend://KORVANE/ZR?serial=STALL12' </dev/null >/dev/null 2>&1"),
        0);
    // A link planted where a printer's information file will be.
    { std::ofstream("/tmp/victim") << "precious"; }
    ASSERT_EQ(symlink("/tmp/victim", InfoPath("LINKED").c_str()), 0);

    const std::vector<std::string> hostile = {"a;touch /tmp/pwned", "$(touch /tmp/pwned)", "../escape", "x/y",
        std::string(64, 'S'), ".hidden", ""};
    for (const std::string& serial : hostile)
        Plug(serial);
    Plug("LINKED");
    const int stall = Plug("STALL1");
    Plug("GONE1", [](PrinterState& s) { s.unplugOnCommand = "INFO MEDIA"; });
    StartDaemon();

    for (const char* serial : {"LINKED", "STALL1", "GONE1"})
        EXPECT_FALSE(WaitForQueue(serial).empty()) << serial;
    // Unplugged in the middle of its first access: the offline form remains.
    EXPECT_TRUE(FileBecomes("GONE1", OfflineText(), 6));

    // A printer that stops answering mid-access does not stop the others.
    ASSERT_TRUE(WaitUntil([] { return Exists(InfoPath("STALL1")); }, 5));
    bus->Model(stall)->Update([](PrinterState& s) {
        s.fault = zrsim::ReplyFault::BusError;
        s.repliesBeforeFault = 0;
    });
    Touch(WatchFile("STALL1"));
    Touch(WatchFile("LINKED"));
    EXPECT_TRUE(FileBecomes("STALL1", OfflineText("ZR"), 6));
    // The planted link gave way to a file of the daemon's own.
    InfoValues linked("LINKED");
    linked.count = "5678";
    EXPECT_TRUE(FileBecomes("LINKED", InfoText(linked), 6));

    std::this_thread::sleep_for(2s);
    // A child that ended stays a zombie, which kill(pid, 0) still finds.
    EXPECT_EQ(waitpid(daemon, nullptr, WNOHANG), 0) << "the daemon ended";
    EXPECT_FALSE(Exists("/tmp/pwned"));
    EXPECT_EQ(ReadWhole("/tmp/victim"), "precious");
    // Only the three ZRs with acceptable serials reached lpadmin, and the
    // other printer's queue kept its serial; no file was named after any
    // other device.
    EXPECT_EQ(Commands(), 3) << CommandLog();
    EXPECT_EQ(WaitForQueue("STALL12", 0), "KORVANE-ZR");
    const std::string tmp = CommandOutput("ls -a /tmp");
    for (const char* part : {"escape", "hidden", "SSSS", "ZR_.log", "ZR_L1", "ZR_M1", "ZR_P6"})
        EXPECT_EQ(tmp.find(part), std::string::npos) << part << " in\n" << tmp;
    EXPECT_EQ(bus->Opens(other), 0);
}

}  // namespace
