// The daemon's decisions that need no printer: serial numbers, queue
// numbering, device IDs, the counter rules, the control-file scan and the
// information file writer. Runs in a private /tmp.
#include "control_files.h"
#include "info_file.h"
#include "monitor_thread.h"
#include "queue_registration.h"
#include "serial_number.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cstring>
#include <deque>
#include <fstream>
#include <sstream>

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

bool Exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

TEST(SerialNumber, OnlyPlainNamesAreAccepted)
{
    for (const char* ok : {"A1234", "a-b_c.d", "0", "X.."})
        EXPECT_TRUE(IsAcceptableSerial(ok)) << ok;
    EXPECT_TRUE(IsAcceptableSerial(std::string(63, 'Z').c_str()));
    for (const char* bad : {"", ".", "..", ".x", "a b", "a;b", "a/b", "$(x)", "a\"b", "a\nb", "\xc3\xa9", "a*"})
        EXPECT_FALSE(IsAcceptableSerial(bad)) << bad;
    EXPECT_FALSE(IsAcceptableSerial(std::string(64, 'Z').c_str()));
    EXPECT_FALSE(IsAcceptableSerial(nullptr));
    // Nothing is named after a refused serial.
    EXPECT_EQ(InfoFilePath("../etc/x"), "");
    EXPECT_EQ(InfoFilePath("A1"), "/tmp/ZR_A1.log");
}

TEST(QueueNumbering, FollowsTheRuleAndNeverReusesAName)
{
    EXPECT_EQ(getRNumber("KORVANE-ZR-3"), 3);
    EXPECT_EQ(getRNumber("KORVANE-ZR-12abc"), 12);
    EXPECT_EQ(getRNumber("KORVANE-ZR"), 0);
    EXPECT_EQ(getRNumber("KORVANE-ZR-"), 0);
    EXPECT_EQ(getRNumber("KORVANE-ZR-x"), 0);
    EXPECT_EQ(getRNumber("LASER"), 0);
    EXPECT_EQ(getRNumber("KORVANE-ZR-99999999999999"), 0);
    EXPECT_EQ(getRNumber(nullptr), 0);

    using Names = std::vector<std::string>;
    EXPECT_EQ(ChooseQueueNumber(Names{"KORVANE-ZR"}), 2);
    EXPECT_EQ(ChooseQueueNumber(Names{"KORVANE-ZR", "KORVANE-ZR-2", "KORVANE-ZR-3"}), 4);
    EXPECT_EQ(ChooseQueueNumber(Names{"KORVANE-ZR-2", "KORVANE-ZR-4"}), 3);
    EXPECT_EQ(ChooseQueueNumber(Names{"KORVANE-ZR-2", "KORVANE-ZR-4", "KORVANE-ZR-6"}), 5);
    EXPECT_EQ(ChooseQueueNumber(Names{"KORVANE-ZR-3"}), 2);
    // Odd names lead the rule to a taken number; it moves on.
    EXPECT_EQ(ChooseQueueNumber(Names{"KORVANE-ZR-2", "KORVANE-ZR-02", "KORVANE-ZR-3"}), 4);
    EXPECT_EQ(ChooseQueueNumber(Names{"KORVANE-ZR-x", "KORVANE-ZR-1", "KORVANE-ZR-2"}), 3);

    EXPECT_EQ(LpadminArguments(0, "A1"),
        (Names{"lpadmin", "-p", "KORVANE-ZR", "-E", "-D", "KORVANE ZR", "-m", "KORVANE_ZR.ppd", "-v",
            "korvane-zvobackend://KORVANE/ZR?serial=A1", "-o", "printer-is-shared=false"}));
    EXPECT_EQ(LpadminArguments(3, "A1")[2], "KORVANE-ZR-3");
    EXPECT_EQ(LpadminArguments(3, "A1")[5], "KORVANE ZR 3");
}

TEST(DeviceId, ManufacturerAndModel)
{
    DeviceIdentity who = ParseDeviceId("MANUFACTURER:KORVANE;COMMAND SET:ZR;MODEL:ZR;");
    EXPECT_EQ(who.manufacturer, "KORVANE");
    EXPECT_EQ(who.model, "ZR");
    who = ParseDeviceId("MODEL:A;MANUFACTURER:B:C;MODEL: ZR ");
    EXPECT_EQ(who.manufacturer, "B:C");
    EXPECT_EQ(who.model, " ZR ");
    who = ParseDeviceId("MFG:KORVANE;MDL:ZR;");
    EXPECT_EQ(who.manufacturer, "");
    EXPECT_EQ(who.model, "");
    EXPECT_EQ(ParseDeviceId("MANUFACTURERMODEL:X").manufacturer, "X");
}

// Counter reads answered from a script: each entry is a reading, or -1 for
// a failed read. Records whether each read was slow.
struct ScriptedCounter {
    explicit ScriptedCounter(std::deque<int> script) : answers(std::move(script)) {}
    std::deque<int> answers;
    std::vector<bool> slow;
    CounterRead Reader()
    {
        return [this](bool isSlow, int* reading) {
            slow.push_back(isSlow);
            if (answers.empty())
                return false;
            const int a = answers.front();
            answers.pop_front();
            if (a < 0)
                return false;
            *reading = a;
            return true;
        };
    }
};

TEST(CounterRules, RequestRefreshAndWatchPeriod)
{
    {
        thdata r;
        r.fileFlags = 3;
        ScriptedCounter c({100});
        EXPECT_EQ(ChooseTotalCount(&r, 900, false, c.Reader()), 100);
        EXPECT_EQ(c.slow, std::vector<bool>{true});  // power saving: slow read
        EXPECT_EQ(r.totalCount, 100);
    }
    {
        // A print just ended: read once more; a failing second read keeps the first.
        thdata r;
        r.fileFlags = 3;
        ScriptedCounter c({100, 101});
        EXPECT_EQ(ChooseTotalCount(&r, 0, true, c.Reader()), 101);
        ScriptedCounter d({102, -1});
        EXPECT_EQ(ChooseTotalCount(&r, 0, true, d.Reader()), 102);
    }
    {
        // Refresh after a print: used once, then cleared.
        thdata r;
        r.fileFlags = 1;
        r.bCountRefresh = true;
        ScriptedCounter c({7});
        EXPECT_EQ(ChooseTotalCount(&r, 0, false, c.Reader()), 7);
        EXPECT_FALSE(r.bCountRefresh);
        // A failed request read falls through to the refresh rule (E true keeps nothing to clear).
        r.fileFlags = 3;
        ScriptedCounter d({-1, 8});
        EXPECT_EQ(ChooseTotalCount(&r, 0, true, d.Reader()), 8);
    }
    {
        // First read of a watch period; in power saving it is skipped but counted done.
        thdata r;
        r.fileFlags = 1;
        r.bMonitorSeen = true;
        r.totalCount = 50;
        ScriptedCounter c({60});
        EXPECT_EQ(ChooseTotalCount(&r, 900, false, c.Reader()), 50);
        EXPECT_TRUE(c.slow.empty());
        EXPECT_TRUE(r.bMonitorCountRead);
        r.bMonitorCountRead = false;
        EXPECT_EQ(ChooseTotalCount(&r, 0, false, c.Reader()), 60);
        EXPECT_TRUE(r.bMonitorCountRead);
        // Once read, later passes read nothing.
        ScriptedCounter none({70});
        EXPECT_EQ(ChooseTotalCount(&r, 0, false, none.Reader()), 60);
        EXPECT_TRUE(none.slow.empty());
    }
    {
        // Without control files a reading is not published.
        thdata r;
        r.fileFlags = 0;
        r.bCountRefresh = true;
        ScriptedCounter c({9});
        EXPECT_EQ(ChooseTotalCount(&r, 0, false, c.Reader()), -1);
        EXPECT_EQ(r.totalCount, -1);
    }
}

class TmpFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Private /tmp only (a fresh tmpfs): these tests create and delete names there.
        struct statfs fs;
        ASSERT_EQ(statfs("/tmp", &fs), 0);
        ASSERT_EQ(fs.f_type, static_cast<decltype(fs.f_type)>(TMPFS_MAGIC)) << "run in a private /tmp";
        r.bSerialOk = true;
        snprintf(r.serialNo, sizeof r.serialNo, "A1");
    }
    thdata r;
};

TEST_F(TmpFiles, ControlFileScan)
{
    EXPECT_EQ(fileCheck(&r), 0);
    Touch("/tmp/ZR_A1_UTILx");  // names count as prefixes
    EXPECT_EQ(fileCheck(&r), 1);
    EXPECT_TRUE(r.bMonitorSeen);
    Touch("/tmp/ZR_A1_TC_UTIL");
    EXPECT_EQ(fileCheck(&r), 3);
    EXPECT_FALSE(Exists("/tmp/ZR_A1_TC_UTIL"));
    unlink("/tmp/ZR_A1_UTILx");
    Touch("/tmp/ZR_A1_TC_UTIL");
    EXPECT_EQ(fileCheck(&r), 0);  // a request alone asks for nothing
    EXPECT_FALSE(Exists("/tmp/ZR_A1_TC_UTIL"));

    Touch("/tmp/ZR_A1_UTIL");
    Touch("/tmp/Pause_korvane-zvobackend:__KORVANE_ZR?serial=A1");
    EXPECT_EQ(fileCheck(&r), 0);
    EXPECT_TRUE(r.bPrinting);
    unlink("/tmp/Pause_korvane-zvobackend:__KORVANE_ZR?serial=A1");
    EXPECT_EQ(fileCheck(&r), 1);
    EXPECT_TRUE(r.bCountRefresh);
    EXPECT_FALSE(r.bPrinting);
    EXPECT_EQ(fileCheck(&r), 1);
    EXPECT_FALSE(r.bCountRefresh);  // lasts one scan
    unlink("/tmp/ZR_A1_UTIL");
}

TEST_F(TmpFiles, DepartedThreadLeavesTheReturnedPrintersFileAlone)
{
    // A1 was pulled and plugged in again; its new record has read the serial
    // and written the file before the old thread noticed the departure.
    // Records are matched by device address only, so stand-in addresses do.
    thdata back, gone;
    back.device = reinterpret_cast<libusb_device*>(0x1000);
    gone.device = reinterpret_cast<libusb_device*>(0x2000);
    for (thdata* r : {&back, &gone}) {
        strcpy(r->serialNo, "A1");
        r->bSerialOk = true;
    }
    gone.bDetached.store(true);
    thDevData = {&back, &gone};
    const std::string current = "#PRINTER_INFORMATION\nMODEL=\"ZR\"\n";
    std::ofstream("/tmp/ZR_A1.log") << current;
    thread_function(&gone);
    EXPECT_EQ(Slurp("/tmp/ZR_A1.log"), current);

    // A different serial, or none live any more: the offline form is written.
    strcpy(back.serialNo, "A12");
    thread_function(&gone);
    EXPECT_NE(Slurp("/tmp/ZR_A1.log").find("PRINTER_STATUS=\"99999\""), std::string::npos);
    strcpy(back.serialNo, "A1");
    std::ofstream("/tmp/ZR_A1.log") << current;
    back.bDetached.store(true);
    thread_function(&gone);
    EXPECT_NE(Slurp("/tmp/ZR_A1.log").find("PRINTER_STATUS=\"99999\""), std::string::npos);
    thDevData.clear();
}

TEST_F(TmpFiles, OfflineFormAndWhatTheWriterRefuses)
{
    WriteFile("A1");
    EXPECT_EQ(Slurp("/tmp/ZR_A1.log"),
        "#PRINTER_INFORMATION\nMODEL=\"\"\nPRINTER_STATUS=\"99999\"\nPRINTER_MESSAGE=\"00006\"\n"
        "PRINTER_VERSION=\"\"\nPRINTER_SERIAL_NO=\"\"\n\n#MEDIA_INFORMATION\nMEDIA_SIZE=\"\"\n"
        "MEDIA_INITIAL=\"\"\nMEDIA_REMAIN=\"\"\n\n#COUNTER_INFORMATION\nTOTAL_COUNT=\"\"\n\n");
    struct stat st;
    ASSERT_EQ(stat("/tmp/ZR_A1.log", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0666u);

    // A longer old content is cut, not left behind the new text.
    std::ofstream("/tmp/ZR_A1.log") << std::string(5000, 'x');
    WriteFile("A1");
    EXPECT_EQ(Slurp("/tmp/ZR_A1.log").find('x'), std::string::npos);

    WriteFile("");
    WriteFile("../A1");
    WriteFile(nullptr);
    EXPECT_FALSE(Exists("/tmp/ZR_.log"));

    // Planted links, FIFOs, directories and hard links are refused untouched.
    std::ofstream("/tmp/victim") << "precious";
    ASSERT_EQ(symlink("/tmp/victim", "/tmp/ZR_S1.log"), 0);
    ASSERT_EQ(link("/tmp/victim", "/tmp/ZR_H1.log"), 0);
    ASSERT_EQ(mkfifo("/tmp/ZR_F1.log", 0666), 0);
    ASSERT_EQ(mkdir("/tmp/ZR_D1.log", 0777), 0);
    chmod("/tmp/victim", 0600);
    for (const char* serial : {"S1", "H1", "F1", "D1"})
        WriteFile(serial);
    EXPECT_EQ(Slurp("/tmp/victim"), "precious");
    ASSERT_EQ(stat("/tmp/victim", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_FALSE(WriteInfoText("/tmp/ZR_S1.log", "x"));
}

// Stand-ins for getenforce and chcon on PATH; chcon logs its arguments.
class SELinuxTools : public TmpFiles {
protected:
    void SetUp() override
    {
        TmpFiles::SetUp();
        mkdir("/tmp/bin", 0755);
        oldPath = getenv("PATH");
        setenv("PATH", ("/tmp/bin:" + oldPath).c_str(), 1);
        Script("chcon", "echo \"$@\" >> /tmp/chcon.log");
    }
    void TearDown() override
    {
        setenv("PATH", oldPath.c_str(), 1);
        bSELinuxEnabled = false;
    }
    static void Script(const std::string& name, const std::string& body)
    {
        const std::string path = "/tmp/bin/" + name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        chmod(path.c_str(), 0755);
    }
    std::string oldPath;
};

TEST_F(SELinuxTools, EnforcingModeRelabelsTheFile)
{
    EXPECT_FALSE(isSELinuxEnabled());  // no getenforce at all
    Script("getenforce", "echo Permissive");
    EXPECT_FALSE(isSELinuxEnabled());
    Script("getenforce", "echo Enforcing");
    EXPECT_TRUE(isSELinuxEnabled());

    bSELinuxEnabled = true;
    unlink("/tmp/ZR_A1.log");
    WriteFile("A1");  // new file: only the second label
    WriteFile("A1");
    EXPECT_EQ(Slurp("/tmp/chcon.log"),
        "-t cupsd_tmp_t /tmp/ZR_A1.log\n"
        "-t tmp_t /tmp/ZR_A1.log\n-t cupsd_tmp_t /tmp/ZR_A1.log\n");
}

TEST(InfoValueText, KeepsEachValueOnItsLine)
{
    EXPECT_EQ(InfoValue("1.53"), "1.53");
    EXPECT_EQ(InfoValue("a\"b\nc\x01\xff"), "a?b?c??");
    EXPECT_EQ(InfoValue(nullptr), "");
}

}  // namespace
