// The daemon's decisions that need no printer: queue numbering, the counter
// rules, a departed printer's file and the information file writer with its
// SELinux labels. Runs in a private /tmp.
#include "control_files.h"
#include "info_file.h"
#include "monitor_thread.h"
#include "queue_registration.h"
#include "shared_files.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
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

bool Exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
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
            "korvane-zvobackend://KORVANE/ZR?serial=A1", "-o", "printer-is-shared=false", "-o", "print-scaling-default=fill"}));
    EXPECT_EQ(LpadminArguments(3, "A1")[2], "KORVANE-ZR-3");
    EXPECT_EQ(LpadminArguments(3, "A1")[5], "KORVANE ZR 3");
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

TEST_F(TmpFiles, OfflineFormReplacesWhateverStoodUnderTheName)
{
    WriteFile("A1");
    EXPECT_EQ(Slurp("/tmp/ZR_A1.log"),
        "#PRINTER_INFORMATION\nMODEL=\"\"\nPRINTER_STATUS=\"99999\"\nPRINTER_MESSAGE=\"00006\"\n"
        "PRINTER_VERSION=\"\"\nPRINTER_SERIAL_NO=\"\"\n\n#MEDIA_INFORMATION\nMEDIA_SIZE=\"\"\n"
        "MEDIA_INITIAL=\"\"\nMEDIA_REMAIN=\"\"\n\n#COUNTER_INFORMATION\nTOTAL_COUNT=\"\"\n\n");
    struct stat st;
    ASSERT_EQ(stat("/tmp/ZR_A1.log", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);  // only the daemon writes it

    // A longer old content is gone, not left behind the new text.
    std::ofstream("/tmp/ZR_A1.log") << std::string(5000, 'x');
    WriteFile("A1");
    EXPECT_EQ(Slurp("/tmp/ZR_A1.log").find('x'), std::string::npos);

    WriteFile("");
    WriteFile("../A1");
    WriteFile(nullptr);
    EXPECT_FALSE(Exists("/tmp/ZR_.log"));

    // Planted links, FIFOs, hard links and another user's file are replaced
    // by a file of the daemon's own; what they led to stays untouched.
    std::ofstream("/tmp/victim") << "precious";
    chmod("/tmp/victim", 0600);
    ASSERT_EQ(symlink("/tmp/victim", "/tmp/ZR_S1.log"), 0);
    ASSERT_EQ(link("/tmp/victim", "/tmp/ZR_H1.log"), 0);
    ASSERT_EQ(mkfifo("/tmp/ZR_F1.log", 0666), 0);
    std::ofstream("/tmp/ZR_U1.log") << "forged";
    ASSERT_EQ(chown("/tmp/ZR_U1.log", 65534, 65534), 0);
    ASSERT_EQ(chmod("/tmp/ZR_U1.log", 0666), 0);
    for (const char* serial : {"S1", "H1", "F1", "U1"}) {
        WriteFile(serial);
        const std::string path = std::string("/tmp/ZR_") + serial + ".log";
        ASSERT_EQ(lstat(path.c_str(), &st), 0) << serial;
        EXPECT_TRUE(S_ISREG(st.st_mode)) << serial;
        EXPECT_EQ(st.st_uid, geteuid()) << serial;
        EXPECT_EQ(st.st_nlink, 1u) << serial;
        EXPECT_EQ(st.st_mode & 07777, 0644u) << serial;
        EXPECT_NE(Slurp(path).find("PRINTER_STATUS=\"99999\""), std::string::npos) << serial;
    }
    EXPECT_EQ(Slurp("/tmp/victim"), "precious");
    ASSERT_EQ(stat("/tmp/victim", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(st.st_nlink, 1u);

    // A directory under the name cannot be replaced: nothing is written,
    // and no temporary file is left behind.
    ASSERT_EQ(mkdir("/tmp/ZR_D1.log", 0777), 0);
    EXPECT_FALSE(WriteInfoText("/tmp/ZR_D1.log", "x"));
    EXPECT_EQ(system("ls /tmp | grep -q 'ZR_D1.log.'"), 256);
}

// Stands in for libselinux: the daemon's labelling calls land here, and each
// notes which file the descriptor really is.
struct LabelCall {
    dev_t device;
    ino_t inode;
    uid_t owner;
    bool regular;
    std::string context;
};
std::vector<LabelCall> gLabelCalls;
bool gEnforcing = false;

}  // namespace

extern "C" int is_selinux_enabled() { return gEnforcing ? 1 : 0; }
extern "C" int security_getenforce() { return gEnforcing ? 1 : 0; }
extern "C" int fgetfilecon(int, char** context)
{
    *context = strdup("system_u:object_r:tmp_t:s0");
    return 0;
}
extern "C" int fsetfilecon(int fd, const char* context)
{
    struct stat st = {};
    fstat(fd, &st);
    gLabelCalls.push_back({st.st_dev, st.st_ino, st.st_uid, S_ISREG(st.st_mode), context});
    return 0;
}

namespace {

// Stands in for the chcon command: any call to it is a relabel by path.
class SELinux : public TmpFiles {
protected:
    void SetUp() override
    {
        TmpFiles::SetUp();
        mkdir("/tmp/bin", 0755);
        oldPath = getenv("PATH");
        setenv("PATH", ("/tmp/bin:" + oldPath).c_str(), 1);
        for (const char* tool : {"chcon", "getenforce"}) {
            const std::string path = std::string("/tmp/bin/") + tool;
            std::ofstream(path) << "#!/bin/sh\necho " << tool << " \"$@\" >> /tmp/commands.log\necho Enforcing\n";
            chmod(path.c_str(), 0755);
        }
        gLabelCalls.clear();
    }
    void TearDown() override
    {
        setenv("PATH", oldPath.c_str(), 1);
        bSELinuxEnabled = false;
        gEnforcing = false;
    }
    std::string oldPath;
};

TEST_F(SELinux, OnlyTheDaemonsOwnNewFileIsRelabelled)
{
    EXPECT_FALSE(isSELinuxEnabled());
    gEnforcing = true;
    EXPECT_TRUE(isSELinuxEnabled());
    bSELinuxEnabled = true;

    // Another user plants a link to a file that must never be relabelled.
    std::ofstream("/tmp/shadow") << "secret";
    struct stat victim;
    ASSERT_EQ(stat("/tmp/shadow", &victim), 0);
    unlink("/tmp/ZR_A1.log");
    ASSERT_EQ(symlink("/tmp/shadow", "/tmp/ZR_A1.log"), 0);
    WriteFile("A1");
    WriteFile("A1");

    struct stat written;
    ASSERT_EQ(lstat("/tmp/ZR_A1.log", &written), 0);
    ASSERT_TRUE(S_ISREG(written.st_mode));
    ASSERT_EQ(gLabelCalls.size(), 2u);
    for (const LabelCall& call : gLabelCalls) {
        EXPECT_TRUE(call.regular);
        EXPECT_EQ(call.owner, geteuid());
        EXPECT_FALSE(call.device == victim.st_dev && call.inode == victim.st_ino);
        EXPECT_EQ(call.context, "system_u:object_r:cupsd_tmp_t:s0");
    }
    // The second call labelled the file that now stands under the name.
    EXPECT_EQ(gLabelCalls.back().inode, written.st_ino);
    EXPECT_FALSE(Exists("/tmp/commands.log")) << Slurp("/tmp/commands.log");
    EXPECT_EQ(Slurp("/tmp/shadow"), "secret");
}

TEST(InfoValueText, KeepsEachValueOnItsLine)
{
    EXPECT_EQ(InfoValue("1.53"), "1.53");
    EXPECT_EQ(InfoValue("a\"b\nc\x01\xff"), "a?b?c??");
    EXPECT_EQ(InfoValue(nullptr), "");
}

}  // namespace
