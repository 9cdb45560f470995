// The real daemon against emulated printers, a private scheduler and a
// private /tmp.
#include "daemon_rig.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <thread>

namespace {

using namespace std::chrono_literals;
using zrsim::PrinterState;

InfoValues Working(const std::string& serial)
{
    InfoValues v;
    v.serial = serial;
    return v;
}

bool FileIs(const std::string& path, const std::string& text)
{
    const auto content = ReadWhole(path);
    return content && *content == text;
}

std::string WatchFile(const std::string& serial) { return "/tmp/ZR_" + serial + "_UTIL"; }
std::string CountRequestFile(const std::string& serial) { return "/tmp/ZR_" + serial + "_TC_UTIL"; }
std::string PauseFile(const std::string& serial)
{
    return "/tmp/Pause_korvane-zvobackend:__KORVANE_ZR?serial=" + serial;
}

std::vector<std::string> TmpEntries()
{
    std::vector<std::string> names;
    if (DIR* dir = opendir("/tmp")) {
        while (const dirent* e = readdir(dir))
            names.push_back(e->d_name);
        closedir(dir);
    }
    return names;
}

TEST_F(DaemonTest, RegistersQueuesAndWritesTheFileAsPrintersComeAndGo)
{
    const int a = Plug("A1234");
    StartDaemon();
    EXPECT_EQ(WaitForQueue("A1234"), "KORVANE-ZR");
    // Before anyone watches, the counter read during registration stays private.
    EXPECT_TRUE(WaitUntil([] { return FileIs(InfoPath("A1234"), InfoText(Working("A1234"))); }, 5))
        << ReadWhole(InfoPath("A1234")).value_or("(none)");

    const int b = Plug("B2");
    EXPECT_EQ(WaitForQueue("B2"), "KORVANE-ZR-2");
    const int c = Plug("C3");
    EXPECT_EQ(WaitForQueue("C3"), "KORVANE-ZR-3");
    const auto commands = cups->Commands();
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
    EXPECT_TRUE(WaitUntil([] { return FileIs(InfoPath("B2"), OfflineText()); }, 5));

    // Plugged in again, the printer finds its queue: no new lpadmin.
    Plug("B2", [](PrinterState& s) { s.status = 1000; });
    InfoValues error = Working("B2");
    error.status = "01000";
    error.message = "00100";
    EXPECT_TRUE(WaitUntil([&] { return FileIs(InfoPath("B2"), InfoText(error)); }, 6))
        << ReadWhole(InfoPath("B2")).value_or("(none)");
    EXPECT_EQ(cups->Commands().size(), 3u);
    EXPECT_EQ(cups->Queues().size(), 3u);
}

TEST_F(DaemonTest, ControlFilesSteerPolling)
{
    const int a = Plug("A1234");
    StartDaemon();
    ASSERT_EQ(WaitForQueue("A1234"), "KORVANE-ZR");
    ASSERT_TRUE(WaitUntil([] { return FileIs(InfoPath("A1234"), InfoText(Working("A1234"))); }, 5));
    auto model = Model(a);

    // A watch file starts polling; its first pass reads the counter.
    Touch(WatchFile("A1234"));
    model->Update([](PrinterState& s) { s.status = 1000; });
    InfoValues v = Working("A1234");
    v.status = "01000";
    v.message = "00100";
    v.count = "5678";
    EXPECT_TRUE(WaitUntil([&] { return FileIs(InfoPath("A1234"), InfoText(v)); }, 4))
        << ReadWhole(InfoPath("A1234")).value_or("(none)");

    // Later passes do not read it again until asked.
    model->Update([](PrinterState& s) { s.counter = 6000; });
    std::this_thread::sleep_for(2500ms);
    EXPECT_TRUE(FileIs(InfoPath("A1234"), InfoText(v)));
    Touch(CountRequestFile("A1234"));
    v.count = "6000";
    EXPECT_TRUE(WaitUntil([&] { return FileIs(InfoPath("A1234"), InfoText(v)); }, 4));
    EXPECT_FALSE(Exists(CountRequestFile("A1234")));

    // A print ending (status 1, then anything else) re-reads the counter.
    model->Update([](PrinterState& s) { s.status = 1; });
    v.status = "00001";
    v.message = "00002";
    EXPECT_TRUE(WaitUntil([&] { return FileIs(InfoPath("A1234"), InfoText(v)); }, 4));
    model->Update([](PrinterState& s) {
        s.status = 1000;
        s.counter = 6500;
    });
    v.status = "01000";
    v.message = "00100";
    v.count = "6500";
    EXPECT_TRUE(WaitUntil([&] { return FileIs(InfoPath("A1234"), InfoText(v)); }, 4))
        << ReadWhole(InfoPath("A1234")).value_or("(none)");

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
    EXPECT_TRUE(WaitUntil([&] { return FileIs(InfoPath("A1234"), InfoText(v)); }, 4))
        << ReadWhole(InfoPath("A1234")).value_or("(none)");

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
    ASSERT_TRUE(cups->AddQueue("KORVANE-ZR", "korvane-zvobackend://KORVANE/ZR?serial=E12"));
    StartDaemon();

    ASSERT_EQ(WaitForQueue("E1"), "KORVANE-ZR-2");
    InfoValues v = Working("E1");
    v.status = "01000";
    v.message = "00100";
    v.version = "2.01";
    v.mediaSize = "210";
    EXPECT_TRUE(WaitUntil([&] { return FileIs(InfoPath("E1"), InfoText(v)); }, 4));
    std::this_thread::sleep_for(3s);
    EXPECT_EQ(cups->Queues().size(), 2u);
    EXPECT_EQ(WaitForQueue("E12", 0), "KORVANE-ZR");
    EXPECT_EQ(cups->Commands().size(), 1u);
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
    EXPECT_EQ(cups->Commands().size(), 1u);
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

    EXPECT_EQ(WaitForQueue("LINKED").empty(), false);
    EXPECT_EQ(WaitForQueue("LIAR1").empty(), false);
    EXPECT_EQ(WaitForQueue("STALL1").empty(), false);
    EXPECT_EQ(WaitForQueue("GONE1").empty(), false);
    // Unplugged in the middle of its first access: the offline form remains.
    EXPECT_TRUE(WaitUntil([] { return FileIs(InfoPath("GONE1"), OfflineText()); }, 6));

    // A printer that stops answering mid-access does not stop the others.
    ASSERT_TRUE(WaitUntil([] { return Exists(InfoPath("STALL1")); }, 5));
    Model(stall)->Update([](PrinterState& s) {
        s.fault = zrsim::ReplyFault::BusError;
        s.repliesBeforeFault = 0;
    });
    Touch(WatchFile("STALL1"));
    Touch(WatchFile("LIAR1"));
    InfoValues silent;
    silent.status = "99999";
    silent.message = "00006";
    silent.version = silent.mediaSize = silent.mediaInitial = silent.mediaRemain = "";
    silent.count = "";
    EXPECT_TRUE(WaitUntil([&] { return FileIs(InfoPath("STALL1"), InfoText(silent)); }, 6))
        << ReadWhole(InfoPath("STALL1")).value_or("(none)");
    InfoValues liar = Working("LIAR1");
    liar.count = "5678";
    EXPECT_TRUE(WaitUntil([&] { return FileIs(InfoPath("LIAR1"), InfoText(liar)); }, 6))
        << ReadWhole(InfoPath("LIAR1")).value_or("(none)");

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
    const auto commands = cups->Commands();
    EXPECT_EQ(commands.size(), 4u);
    for (const std::string& c : commands)
        EXPECT_EQ(c.find("/tmp"), std::string::npos) << c;
    for (const std::string& name : TmpEntries()) {
        EXPECT_EQ(name.find("escape"), std::string::npos);
        EXPECT_EQ(name.find("hidden"), std::string::npos);
        EXPECT_EQ(name.find("SSSS"), std::string::npos);
        EXPECT_NE(name, "ZR_.log");
    }
    EXPECT_EQ(cups->Queues().size(), 4u);
}

TEST_F(DaemonTest, FourPrintersForAMinute)
{
    const std::vector<std::string> serials = {"F1", "F2", "F3", "F4"};
    std::vector<int> ids;
    for (const std::string& s : serials)
        ids.push_back(Plug(s));
    StartDaemon();
    for (const std::string& s : serials)
        ASSERT_FALSE(WaitForQueue(s).empty()) << s;
    for (const std::string& s : serials)
        Touch(WatchFile(s));

    // Every few seconds each printer changes its status; every file follows.
    const double pollStart = DaemonCpuSeconds();
    const auto end = std::chrono::steady_clock::now() + 60s;
    const long statuses[] = {0, 1, 500, 900, 1000, 1100, 1200, 2000};
    int round = 0;
    while (std::chrono::steady_clock::now() < end) {
        for (size_t i = 0; i < ids.size(); ++i) {
            const long status = statuses[(round + i) % 8];
            Model(ids[i])->Update([status](PrinterState& s) { s.status = status; });
        }
        for (size_t i = 0; i < ids.size(); ++i) {
            char expected[32];
            snprintf(expected, sizeof expected, "PRINTER_STATUS=\"%05ld\"", statuses[(round + i) % 8]);
            const std::string path = InfoPath(serials[i]);
            EXPECT_TRUE(WaitUntil(
                [&] { return ReadWhole(path).value_or("").find(expected) != std::string::npos; }, 8))
                << serials[i] << " round " << round;
        }
        ++round;
    }
    EXPECT_EQ(bus->SerialisationViolation(), "");
    const double polling = DaemonCpuSeconds() - pollStart;

    // Idle: no watch files. Measure the daemon's CPU use over 20 seconds.
    for (const std::string& s : serials)
        unlink(WatchFile(s).c_str());
    std::this_thread::sleep_for(2s);
    bus->ClearLog();
    const double before = DaemonCpuSeconds();
    std::this_thread::sleep_for(20s);
    const double used = DaemonCpuSeconds() - before;
    for (int id : ids)
        EXPECT_EQ(bus->Opens(id), 0);
    RecordProperty("idle_cpu_percent", std::to_string(used / 20.0 * 100.0));
    printf("daemon CPU while four printers are polled: %.2f s in 60 s (%d status rounds); "
           "while all are idle: %.3f s in 20 s (%.2f%%)\n",
        polling, round, used, used / 20.0 * 100.0);
}

}  // namespace
