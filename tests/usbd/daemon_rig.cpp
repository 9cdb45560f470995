#include "daemon_rig.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

bool WaitUntil(const std::function<bool()>& done, double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
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
    InfoValues v;
    v.model = v.version = v.mediaSize = v.mediaInitial = v.mediaRemain = "";
    v.status = "99999";
    v.message = "00006";
    return InfoText(v);
}

std::string InfoPath(const std::string& serial)
{
    return "/tmp/ZR_" + serial + ".log";
}

void DaemonTest::SetUp()
{
    ASSERT_TRUE(zrsim::EmulatedBus::Available()) << "run under umockdev-wrapper";
    ASSERT_EQ(geteuid(), 0u) << "needs root for a private /tmp and scheduler";
    // The private /tmp is a fresh tmpfs: nothing from the host is in it.
    struct stat st;
    ASSERT_EQ(stat("/tmp", &st), 0);
    bus = std::make_unique<zrsim::EmulatedBus>();
    cups = std::make_unique<PrivateCups>();
    ASSERT_TRUE(cups->Start());
}

void DaemonTest::TearDown()
{
    StopDaemon();
    if (bus && checkSerialised) {
        EXPECT_EQ(bus->SerialisationViolation(), "");
    }
    cups.reset();
    bus.reset();
}

void DaemonTest::StartDaemon()
{
    daemon = fork();
    if (daemon == 0) {
        execl(KZR_USBD_PATH, "korvane_zr_usbd", static_cast<char*>(nullptr));
        _exit(127);
    }
}

void DaemonTest::StopDaemon()
{
    if (daemon > 0) {
        kill(daemon, SIGKILL);
        waitpid(daemon, nullptr, 0);
        daemon = -1;
    }
}

int DaemonTest::Plug(const std::string& serial, const std::function<void(zrsim::PrinterState&)>& change,
    zrsim::DeviceOptions options)
{
    zrsim::PrinterState state;
    state.serial = serial;
    if (change)
        change(state);
    return bus->Plug(std::make_shared<zrsim::ZrPrinterModel>(state), options);
}

std::string DaemonTest::WaitForQueue(const std::string& serial, double seconds)
{
    std::string name;
    const std::string uri = "korvane-zvobackend://KORVANE/ZR?serial=" + serial;
    WaitUntil(
        [&] {
            for (const auto& q : cups->Queues())
                if (q.second == uri)
                    name = q.first;
            return !name.empty();
        },
        seconds);
    return name;
}

double DaemonTest::DaemonCpuSeconds() const
{
    const auto stat = ReadWhole("/proc/" + std::to_string(daemon) + "/stat");
    if (!stat)
        return -1;
    // Fields after the command name in parentheses; utime and stime are 14 and 15.
    std::istringstream fields(stat->substr(stat->rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i >= 14)
            ticks += std::stol(field);
    return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}
