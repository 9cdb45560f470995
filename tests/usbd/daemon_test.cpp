// The real korvane_zr_usbd against emulated printers and the private
// scheduler of with_cupsd.sh, in a private /tmp: the test binary runs as root
// under unshare -m (tmpfs on /tmp), with_cupsd.sh and umockdev-wrapper.
#include "emulated_bus.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
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

std::optional<std::string> ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
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

struct InfoValues {
    std::string model = "ZR";
    std::string status = "00000";
    std::string message = "00001";
    std::string version = "1.53";
    std::string serial;
    std::string mediaSize = "310";
    std::string mediaInitial = "400";
    std::string mediaRemain = "123";
    std::string count;
};

// A working printer's values, in the emulated printer's defaults.
InfoValues Working(const std::string& serial, const std::string& status = "00000",
    const std::string& message = "00001")
{
    InfoValues v;
    v.serial = serial;
    v.status = status;
    v.message = message;
    return v;
}

// The information file's exact text for these values.
std::string InfoText(const InfoValues& v)
{
    return "#PRINTER_INFORMATION\nMODEL=\"" + v.model + "\"\nPRINTER_STATUS=\"" + v.status +
        "\"\nPRINTER_MESSAGE=\"" + v.message + "\"\nPRINTER_VERSION=\"" + v.version + "\"\nPRINTER_SERIAL_NO=\"" +
        v.serial + "\"\n\n#MEDIA_INFORMATION\nMEDIA_SIZE=\"" + v.mediaSize + "\"\nMEDIA_INITIAL=\"" +
        v.mediaInitial + "\"\nMEDIA_REMAIN=\"" + v.mediaRemain + "\"\n\n#COUNTER_INFORMATION\nTOTAL_COUNT=\"" +
        v.count + "\"\n\n";
}

std::string OfflineText()
{
    InfoValues v = Working("", "99999", "00006");
    v.model = v.version = v.mediaSize = v.mediaInitial = v.mediaRemain = "";
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
    return ::testing::AssertionFailure() << InfoPath(serial) << " reads " << ReadWhole(InfoPath(serial)).value_or("(none)");
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

std::string CommandLog()
{
    return std::string(getenv("KZR_CUPSD_DIR")) + "/commands.log";
}

// (queue name, device URI) of every queue of the scheduler.
std::vector<std::pair<std::string, std::string>> Queues()
{
    std::vector<std::pair<std::string, std::string>> queues;
    std::istringstream lines(CommandOutput("lpstat -v 2>/dev/null"));
    std::string line;
    const std::string lead = "device for ";
    while (std::getline(lines, line)) {
        const size_t colon = line.find(": ");
        if (line.compare(0, lead.size(), lead) == 0 && colon != std::string::npos)
            queues.emplace_back(line.substr(lead.size(), colon - lead.size()), line.substr(colon + 2));
    }
    return queues;
}

// Command lines the daemon ran through the logging lpadmin.
std::vector<std::string> Commands()
{
    std::vector<std::string> commands;
    std::ifstream in(CommandLog());
    std::string line;
    while (std::getline(in, line))
        commands.push_back(line);
    return commands;
}

class DaemonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(zrsim::EmulatedBus::Available()) << "run under umockdev-wrapper";
        ASSERT_NE(getenv("KZR_CUPSD_DIR"), nullptr) << "run under with_cupsd.sh";
        // Every test starts from a scheduler without queues and an empty log.
        for (const auto& queue : Queues())
            ASSERT_EQ(system(("/usr/sbin/lpadmin -x '" + queue.first + "'").c_str()), 0);
        unlink(CommandLog().c_str());
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

    std::shared_ptr<zrsim::ZrPrinterModel> Model(int id) { return bus->Model(id); }

    // Waits until a queue with this serial in its URI exists; answers its name.
    std::string WaitForQueue(const std::string& serial, double seconds = 15)
    {
        std::string name;
        const std::string uri = "korvane-zvobackend://KORVANE/ZR?serial=" + serial;
        WaitUntil(
            [&] {
                for (const auto& q : Queues())
                    if (q.second == uri)
                        name = q.first;
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
    const int a = Plug("A1234");
    StartDaemon();
    EXPECT_EQ(WaitForQueue("A1234"), "KORVANE-ZR");
    // Before anyone watches, the counter read during registration stays private.
    EXPECT_TRUE(FileBecomes("A1234", InfoText(Working("A1234")), 5));

    const int b = Plug("B2");
    EXPECT_EQ(WaitForQueue("B2"), "KORVANE-ZR-2");
    const int c = Plug("C3");
    EXPECT_EQ(WaitForQueue("C3"), "KORVANE-ZR-3");
    const auto commands = Commands();
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[1],
        "lpadmin -p KORVANE-ZR-2 -E -D KORVANE ZR 2 -m KORVANE_ZR.ppd -v "
        "korvane-zvobackend://KORVANE/ZR?serial=B2 -o printer-is-shared=false -o print-scaling-default=fill");

    // Registered printers nobody watches are left alone.
    std::this_thread::sleep_for(1500ms);
    bus->ClearLog();
    std::this_thread::sleep_for(3s);
    EXPECT_EQ(bus->Opens(a) + bus->Opens(b) + bus->Opens(c), 0);

    bus->Unplug(b);
    EXPECT_TRUE(FileBecomes("B2", OfflineText(), 5));

    // Plugged in again, the printer finds its queue: no new lpadmin.
    Plug("B2", [](PrinterState& s) { s.status = 1000; });
    EXPECT_TRUE(FileBecomes("B2", InfoText(Working("B2", "01000", "00100")), 6));
    EXPECT_EQ(Commands().size(), 3u);
    EXPECT_EQ(Queues().size(), 3u);
}

TEST_F(DaemonTest, ControlFilesSteerPolling)
{
    const int a = Plug("A1234");
    StartDaemon();
    ASSERT_EQ(WaitForQueue("A1234"), "KORVANE-ZR");
    ASSERT_TRUE(FileBecomes("A1234", InfoText(Working("A1234")), 5));
    auto model = Model(a);

    // A watch file starts polling; its first pass reads the counter.
    Touch(WatchFile("A1234"));
    model->Update([](PrinterState& s) { s.status = 1000; });
    InfoValues v = Working("A1234", "01000", "00100");
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
    EXPECT_FALSE(Exists(CountRequestFile("A1234")));

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

TEST_F(DaemonTest, ErrorStatusAndDevicesThatAreNotAZr)
{
    Plug("E1", [](PrinterState& s) {
        s.status = 1000;
        s.firmware = "2.01";
        s.mediaReply = "MS210";
    });
    Plug("L1", [](PrinterState& s) { s.productString = "KORVANE Label Printer"; });
    Plug("M1", [](PrinterState& s) { s.deviceId = "MFG:KORVANE;MDL:ZR;"; });
    zrsim::DeviceOptions otherProduct;
    otherProduct.product = 0x0006;
    const int other = Plug("P6", nullptr, otherProduct);
    // A queue of another printer whose serial begins with this one's.
    ASSERT_EQ(system("/usr/sbin/lpadmin -p KORVANE-ZR -E -m KORVANE_ZR.ppd -v "
                     "'korvane-zvobackend://KORVANE/ZR?serial=E12' </dev/null >/dev/null 2>&1"),
        0);
    StartDaemon();

    ASSERT_EQ(WaitForQueue("E1"), "KORVANE-ZR-2");
    InfoValues v = Working("E1", "01000", "00100");
    v.version = "2.01";
    v.mediaSize = "210";
    EXPECT_TRUE(FileBecomes("E1", InfoText(v), 4));
    std::this_thread::sleep_for(3s);
    EXPECT_EQ(Queues().size(), 2u);
    EXPECT_EQ(WaitForQueue("E12", 0), "KORVANE-ZR");
    EXPECT_EQ(Commands().size(), 1u);
    for (const char* serial : {"L1", "M1", "P6"})
        EXPECT_FALSE(Exists(InfoPath(serial))) << serial;
    EXPECT_EQ(bus->Opens(other), 0);
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
    EXPECT_TRUE(Model(k2)->Records().empty());
    EXPECT_FALSE(Exists(InfoPath("K2")));
    EXPECT_EQ(Commands().size(), 1u);
}

TEST_F(DaemonTest, HostileDevicesTouchNothingAndRunNothing)
{
    // A link planted where a printer's information file will be.

    { std::ofstream("/tmp/victim") << "precious"; }
    ASSERT_EQ(symlink("/tmp/victim", InfoPath("LINKED").c_str()), 0);

    const std::vector<std::string> hostile = {"a;touch /tmp/pwned", "$(touch /tmp/pwned)", "../escape", "x/y",
        std::string(64, 'S'), ".hidden", ""};
    for (const std::string& serial : hostile)
        Plug(serial);
    Plug("LINKED");
    // Length bytes claiming 65535 bytes for a short ID.
    Plug("LIAR1", [](PrinterState& s) {
        s.rawDeviceId = std::string("\xff\xff", 2) + "MANUFACTURER:KORVANE;MODEL:ZR;";
    });
    const int stall = Plug("STALL1");
    Plug("GONE1", [](PrinterState& s) { s.unplugOnCommand = "INFO MEDIA"; });
    StartDaemon();

    for (const char* serial : {"LINKED", "LIAR1", "STALL1", "GONE1"})
        EXPECT_FALSE(WaitForQueue(serial).empty()) << serial;
    // Unplugged in the middle of its first access: the offline form remains.
    EXPECT_TRUE(FileBecomes("GONE1", OfflineText(), 6));

    // A printer that stops answering mid-access does not stop the others.
    ASSERT_TRUE(WaitUntil([] { return Exists(InfoPath("STALL1")); }, 5));
    Model(stall)->Update([](PrinterState& s) {
        s.fault = zrsim::ReplyFault::BusError;
        s.repliesBeforeFault = 0;
    });
    Touch(WatchFile("STALL1"));
    Touch(WatchFile("LIAR1"));
    InfoValues silent = Working("", "99999", "00006");
    silent.version = silent.mediaSize = silent.mediaInitial = silent.mediaRemain = "";
    EXPECT_TRUE(FileBecomes("STALL1", InfoText(silent), 6));
    InfoValues liar = Working("LIAR1");
    liar.count = "5678";
    EXPECT_TRUE(FileBecomes("LIAR1", InfoText(liar), 6));

    std::this_thread::sleep_for(2s);
    EXPECT_EQ(kill(daemon, 0), 0) << "the daemon ended";
    EXPECT_FALSE(Exists("/tmp/pwned"));
    EXPECT_EQ(ReadWhole("/tmp/victim").value_or(""), "precious");
    // The planted link gave way to a file of the daemon's own.
    struct stat linked;
    ASSERT_EQ(lstat(InfoPath("LINKED").c_str(), &linked), 0);
    EXPECT_TRUE(S_ISREG(linked.st_mode));
    // Only the four acceptable serials reached lpadmin; no file was named
    // after any other.
    const auto commands = Commands();
    EXPECT_EQ(commands.size(), 4u);
    for (const std::string& c : commands)
        EXPECT_EQ(c.find("/tmp"), std::string::npos) << c;
    const std::string tmp = CommandOutput("ls -a /tmp");
    for (const char* part : {"escape", "hidden", "SSSS", "ZR_.log"})
        EXPECT_EQ(tmp.find(part), std::string::npos) << part << " in\n" << tmp;
    EXPECT_EQ(Queues().size(), 4u);
}

}  // namespace
